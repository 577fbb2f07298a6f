#include "controls.h"
#include "focusframe.h"
#include "gameoptions.h"
#include "language.h"
#include "optionsscreen.h"
#include "paintrecorder.h"

#include <QSettings>
#include <QtTest>

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        QSettings("Brimtalon", "Brimtalon").clear();
        Language::install(QString(Language::Chinese));
    }

    void optionsAreRemembered() {
        GameOptions options;
        QSignalSpy changed(&options, &GameOptions::changed);
        options.setMusicVolume(30);
        options.setEffectsVolume(140);
        options.setFullScreen(true);
        options.setLanguage(QStringLiteral("en"));
        options.setLanguage(QStringLiteral("fr"));
        options.setSlowMotionToggled(true);
        options.setGameSpeed(75);
        QCOMPARE(changed.count(), 5);
        const GameOptions restarted;
        QCOMPARE(restarted.musicVolume(), 30);
        QCOMPARE(QSettings("Brimtalon", "Brimtalon").value("sound/musicVolume").toInt(), 30);
        QCOMPARE(restarted.effectsVolume(), 100);
        QVERIFY(restarted.isFullScreen() && restarted.isSlowMotionToggled());
        QCOMPARE(restarted.language(), QStringLiteral("en"));
        QCOMPARE(restarted.gameSpeed(), 70);
        QCOMPARE(restarted.stepStretch(), 100.0 / 70);
        options.setGameSpeed(40); // the slowest is 60 %
        QCOMPARE(options.stepStretch(), 100.0 / 60);
    }

    void badOptionsGiveDefaults() {
        QSettings store("Brimtalon", "Brimtalon");
        store.setValue("sound/musicVolume", "loud");
        store.setValue("sound/effectsVolume", -10);
        store.setValue("options/gameSpeed", 65);
        store.setValue("options/language", "xx");
        const GameOptions options;
        QCOMPARE(options.musicVolume(), 100);
        QCOMPARE(options.effectsVolume(), 100);
        QCOMPARE(options.gameSpeed(), 100);
        QCOMPARE(options.language(), Language::forSystem());
    }

    void keysWalkAndChange() {
        GameOptions options;
        Controls controls;
        OptionsScreen screen(&options, &controls);
        screen.open();
        options.setMusicVolume(55);
        screen.handle(Action::MenuRight);
        QCOMPARE(options.musicVolume(), 60);
        screen.handle(Action::MenuUp);
        QCOMPARE(screen.focus(), int(OptionsScreen::BackRow));
        for (int i = 0; i <= OptionsScreen::GameSpeedRow; ++i)
            screen.handle(Action::MenuDown);
        for (int i = 0; i < 6; ++i)
            screen.handle(Action::MenuLeft);
        QCOMPARE(options.gameSpeed(), GameOptions::kMinGameSpeed);
        screen.handle(Action::MenuUp);
        screen.handle(Action::Confirm);
        QVERIFY(options.isSlowMotionToggled());
        QSignalSpy back(&screen, &OptionsScreen::backRequested);
        screen.handle(Action::Back);
        QCOMPARE(back.count(), 1);
    }

    void remapTakesTheNextInput() {
        GameOptions options;
        Controls controls;
        OptionsScreen screen(&options, &controls);
        QSignalSpy changed(&screen, &OptionsScreen::changed);
        screen.open();
        for (int i = 0; i < OptionsScreen::FirstControlRow + int(Action::Dash); ++i)
            screen.handle(Action::MenuDown);
        screen.handle(Action::Confirm);
        QVERIFY(screen.isRemapping());
        screen.handle(Action::MenuDown);
        screen.takeKey(KeyboardKey{0, Qt::Key_K});
        QVERIFY(!screen.isRemapping());
        QCOMPARE(controls.keyNames(Action::Dash), QStringLiteral("K"));
        screen.takePadInput(PadInput::Y);
        QCOMPARE(controls.padInputs(Action::Dash), QList<PadInput>{PadInput::B});
        screen.handle(Action::Confirm);
        screen.takePadInput(PadInput::Y);
        QCOMPARE(controls.padInputs(Action::Dash), QList<PadInput>{PadInput::Y});
        QCOMPARE(changed.count(), 2);
    }

    void mouseClicksRows() {
        GameOptions options;
        Controls controls;
        OptionsScreen screen(&options, &controls);
        const QRect window(0, 0, 1280, 720);
        const QRectF music = screen.rowRect(OptionsScreen::MusicVolumeRow, window);
        screen.mousePress(QPointF(music.right() - 2, music.center().y()), window);
        QCOMPARE(options.musicVolume(), 100);
        screen.mousePress(QPointF(music.right() * 0.75, music.center().y()), window);
        QCOMPARE(options.musicVolume(), 90);
        controls.bind(Action::Jump, KeyboardKey{0, Qt::Key_K});
        screen.mousePress(screen.rowRect(OptionsScreen::ResetRow, window).center(), window);
        QCOMPARE(controls.keyNames(Action::Jump), QStringLiteral("W / 空格"));
        QCOMPARE(screen.focus(), int(OptionsScreen::ResetRow));
        QVERIFY(!screen.isFocusShown());
        screen.handle(Action::MenuDown);
        QVERIFY(screen.isFocusShown());
    }

    void layoutFits_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("language");
        for (const QSize size : {QSize(1280, 720), QSize(1920, 1080)}) {
            for (const char* language : {"zh", "en"})
                QTest::addRow("%dx%d %s", size.width(), size.height(), language)
                    << size << language;
        }
    }
    void layoutFits() {
        QFETCH(QSize, size);
        QFETCH(QString, language);
        Language::install(language);
        GameOptions options;
        Controls controls;
        OptionsScreen screen(&options, &controls);
        const QRect window(QPoint(0, 0), size);
        QList<QRectF> rows;
        for (int row = 0; row < OptionsScreen::RowCount; ++row)
            rows << screen.rowRect(row, window);
        RecordingPaintDevice device(size);
        QPainter painter(&device);
        screen.paint(painter, window);
        painter.end();
        QList<QRectF> texts;
        for (const PaintCall& call : device.callsOf(PaintCall::Text))
            texts << call.textBox;
        for (const QList<QRectF>& boxes : {rows, texts}) {
            for (int i = 0; i < boxes.size(); ++i) {
                QVERIFY2(QRectF(window).contains(boxes.at(i)), qPrintable(QString::number(i)));
                for (int j = i + 1; j < boxes.size(); ++j)
                    QVERIFY(!boxes.at(i).intersects(boxes.at(j)));
            }
        }
        // Panels first, the focus frame around the first row last.
        const QList<PaintCall> rects = device.callsOf(PaintCall::Rect);
        QCOMPARE(rects.first().pen.width(), 4);
        QCOMPARE(rects.first().brush.color(), QColor(240, 240, 240, 180));
        QCOMPARE(device.calls().at(device.calls().size() - 5).rect, focusFrameRect(rows.first()));
    }
};

QTEST_MAIN(OptionsTest)
#include "tst_options.moc"
