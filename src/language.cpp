#include "language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace {
const char* const kEnglishCatalogue = ":/i18n/brimtalon_en.qm";

QPointer<QTranslator>& installedTranslator() {
    static QPointer<QTranslator> translator;
    return translator;
}

void removeTranslator() {
    QPointer<QTranslator>& translator = installedTranslator();
    if (!translator)
        return;
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

bool installEnglishTranslator() {
    QPointer<QTranslator>& translator = installedTranslator();
    if (translator)
        return true;
    auto* english = new QTranslator(QCoreApplication::instance());
    if (!english->load(QString::fromLatin1(kEnglishCatalogue)) ||
        !QCoreApplication::installTranslator(english)) {
        delete english;
        return false;
    }
    translator = english;
    return true;
}
} // namespace

bool Language::isKnown(const QString& code) {
    return code == Chinese || code == English;
}

QString Language::forLocale(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return QString(Chinese);
    // The first UI language counts: the system locale takes it from LANGUAGE.
    const QLocale uiLocale(locale.uiLanguages().value(0));
    return QString(uiLocale.language() == QLocale::Chinese ? Chinese : English);
}

QString Language::forSystem() {
    return forLocale(QLocale::system());
}

bool Language::install(const QString& code) {
    if (code == Chinese) {
        removeTranslator();
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        return true;
    }
    if (code != English || !installEnglishTranslator())
        return false;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return true;
}

bool Language::isEnglishInstalled() {
    return !installedTranslator().isNull();
}
