#include "language.h"
#include "testsupport.h"

#include <QLocale>
#include <QRegularExpression>

namespace {
// Every text a few frames draw; the story, which each step moves on, to its end.
QString drawnTexts(GameDriver& game) {
    QStringList texts;
    for (int frame = 0; frame < 3 || game->stage() == Stage::Story; ++frame) {
        game.step(game->stage() == Stage::Story);
        RecordingPaintDevice device(game->size());
        game->render(&device);
        for (const PaintCall& call : device.callsOf(PaintCall::Text))
            texts << call.text;
    }
    return texts.join('\n');
}
} // namespace

class LanguageTest : public QObject {
    Q_OBJECT
private slots:
    void localeDecides_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        for (const char* chinese : {"zh_CN", "zh_TW", "C"})
            QTest::newRow(chinese) << chinese << "zh";
        for (const char* other : {"en_US", "de_DE", "ja_JP"})
            QTest::newRow(other) << other << "en";
    }
    void localeDecides() {
        QFETCH(QString, locale);
        QFETCH(QString, language);
        QCOMPARE(Language::forLocale(QLocale(locale)), language);
    }
    void everyScreen_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("shown");
        QTest::newRow("story") << "en" << Stage::Story << "Perhaps not.";
        QTest::newRow("menu") << "en" << Stage::Menu << "Energy Essence";
        QTest::newRow("run") << "en" << Stage::Run << "Ammo";
        QTest::newRow("pause") << "en" << Stage::Pause << "Dash";
        QTest::newRow("game over") << "en" << Stage::GameOver << "Eye";
        QTest::newRow("win") << "en" << Stage::Win << "and get ready for tomorrow's escape!";
        QTest::newRow("upgrade") << "en" << Stage::Upgrade << "Next upgrade: Longer Dead Eye";
        QTest::newRow("back to Chinese") << "zh" << Stage::Upgrade << "当前等级为：1";
    }
    void everyScreen() {
        QFETCH(QString, language);
        QFETCH(int, stage);
        QFETCH(QString, shown);
        if (language == QLatin1String(Language::Chinese))
            QVERIFY(Language::install(Language::English));
        QVERIFY(Language::install(language));
        GameDriver game(stage == Stage::Story ? kFirstStart : kLaterStart);
        QVERIFY(game.reach(stage));
        const QString texts = drawnTexts(game);
        QVERIFY2(texts.contains(shown), qPrintable(texts));
        const QRegularExpression chinese(
            QStringLiteral("[\\p{Han}\\x{3000}-\\x{303F}\\x{FF00}-\\x{FFEF}]"));
        QCOMPARE(texts.contains(chinese), language == QLatin1String(Language::Chinese));
    }
};

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
