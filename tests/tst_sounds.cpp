#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "diskaudio.h"
#include "soundboard.h"
#include "testsupport.h"

namespace {
using Sfx = SoundBoard::Sfx;
using Music = SoundBoard::Music;
} // namespace

class TestSounds : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        hearThrough(m_output.filePath("output.raw"));
    }
    void init() {
        QSettings("Brimtalon", "Brimtalon").clear();
        QDir::setSearchPaths("sounds", {":/sounds"});
    }
    void everyFileIsPlayableAndLevelled_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<double>("shortest"); // seconds
        QTest::addColumn<double>("longest");
        QTest::addColumn<bool>("loop");
        QStringList used;
        for (int i = 0; i < SoundBoard::kSfxCount; ++i)
            used << SoundBoard::files(Sfx(i));
        for (const QString& path : used)
            QTest::newRow(qPrintable(path)) << path << 0.05 << 2.0 << false;
        QTest::newRow("main loop") << SoundBoard::file(Music::Main) << 8.0 << 16.0 << true;
        QTest::newRow("boss loop") << SoundBoard::file(Music::Boss) << 8.0 << 16.0 << true;
        QTest::newRow("win jingle") << SoundBoard::file(Music::Jingle) << 2.0 << 5.0 << false;
        // Every compiled-in sound is played by exactly one thing.
        used << SoundBoard::file(Music::Main) << SoundBoard::file(Music::Boss)
             << SoundBoard::file(Music::Jingle);
        used.sort();
        QCOMPARE(used, QDir(":/sounds")
                           .entryList(QDir::Files)
                           .replaceInStrings(QRegularExpression("^"), "sounds:"));
    }
    void everyFileIsPlayableAndLevelled() {
        QFETCH(QString, path);
        QFETCH(double, shortest);
        QFETCH(double, longest);
        QFETCH(bool, loop);
        const Samples pcm = clipSamples(path); // 16-bit mono PCM at the output's rate
        QVERIFY(pcm.size() >= shortest * SoundOutput::kSampleRate &&
                pcm.size() < longest * SoundOutput::kSampleRate);
        float peak = 0;
        double energy = 0;
        for (float sample : pcm) {
            peak = qMax(peak, std::abs(sample));
            energy += double(sample) * sample;
        }
        QVERIFY2(peak < 0.95f, "clipped");
        QVERIFY2(std::sqrt(energy / pcm.size()) > 0.05, "too quiet");
        // A loop joins without a click: both ends sit at silence.
        QVERIFY(!loop || (std::abs(pcm.first()) < 0.01f && std::abs(pcm.last()) < 0.01f));
    }
    // Every clip loads but a missing and a broken one, each refused once; the rest play.
    void brokenClipsAreRefused() {
        QTemporaryDir dir;
        for (const QString& name : QDir(":/sounds").entryList())
            QVERIFY(writeFile(dir.filePath(name), readFile(":/sounds/" + name)));
        QVERIFY(QFile::remove(dir.filePath("jump.wav")));
        QVERIFY(writeFile(dir.filePath("shot.wav"), "RIFF0000WAVEfmt garbage"));
        QDir::setSearchPaths("sounds", {dir.path()});
        QTest::failOnWarning(QRegularExpression("."));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("sounds:jump.wav refused"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("sounds:shot.wav refused"));
        SoundBoard board;
        Ear ear(m_output.filePath("output.raw"));
        for (Sfx sfx : {Sfx::Jump, Sfx::Shot, Sfx::Land})
            board.play(sfx);
        QVERIFY(gainOf(ear.listen(0.6), clipSamples(SoundBoard::files(Sfx::Land).first())) > 0);
    }
    void pauseHoldsOnlyTheMusic() { // the pause screen's buttons still click
        SoundBoard board;
        board.setMusic(Music::Boss);
        board.setPaused(true);
        board.play(Sfx::Button);
        QVERIFY(!board.isMusicPlaying() && board.played() == QList<Sfx>{Sfx::Button});
    }
    void choicesAreRemembered() {
        {
            SoundBoard board;
            QVERIFY(!board.isMuted());
            board.toggleMuted();
            board.play(Sfx::Jump);
            QVERIFY(board.isMuted() && board.played().isEmpty() && !board.isMusicPlaying());
            board.setMusicPercent(40);
            board.setEffectsPercent(250);
        }
        SoundBoard again;
        QVERIFY(again.isMuted() && again.musicPercent() == 40 && again.effectsPercent() == 100);
        again.setMuted(false, SoundBoard::Persist::ThisRunOnly); // --mute's way
        QVERIFY(SoundBoard().isMuted());
        QSettings("Brimtalon", "Brimtalon").setValue("sound/musicVolume", "loud");
        QCOMPARE(SoundBoard().musicPercent(), 100);
    }

private:
    QTemporaryDir m_output;
};

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
