#pragma once

#include <QString>

class QLocale;

// The language of the game's texts and pictures: the Chinese it was written
// in, which needs no translator, or English beside it.
class Language {
public:
    // The codes `--lang` takes.
    static constexpr QLatin1String Chinese{"zh"};
    static constexpr QLatin1String English{"en"};

    static bool isKnown(const QString& code);
    // Chinese for Chinese locales and for the C locale (the untranslated
    // program, as gettext has it); English for every other locale.
    static QString forLocale(const QLocale& locale);
    static QString forSystem();
    // Switches the running application to `code`: English installs the
    // embedded catalogue, Chinese removes it. The default locale follows, so
    // pictures with a language-specific variant load that variant. False for
    // an unknown code or a catalogue that cannot be loaded.
    static bool install(const QString& code);
    static bool isEnglishInstalled();
};
