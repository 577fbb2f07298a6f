#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include "soundboard.h"
#include "testsupport.h"

namespace {
using Sfx = SoundBoard::Sfx;
using Music = SoundBoard::Music;

qint16 sampleAt(const QByteArray& pcm, qsizetype i) {
    return qFromLittleEndian<qint16>(pcm.constData() + 2 * i);
}

QByteArray constantClip(qint16 level, int samples) {
    QByteArray pcm(2 * samples, Qt::Uninitialized);
    for (int i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(level, pcm.data() + 2 * i);
    return pcm;
}
} // namespace

class TestSounds : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings("Brimtalon", "Brimtalon").clear(); }
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
                           .replaceInStrings(QRegularExpression("^"), ":/sounds/"));
    }
    void everyFileIsPlayableAndLevelled() {
        QFETCH(QString, path);
        QFETCH(double, shortest);
        QFETCH(double, longest);
        QFETCH(bool, loop);
        const QByteArray pcm = SoundMixer::loadClip(path); // 16-bit mono PCM at the stream's rate
        const qsizetype count = pcm.size() / 2;
        QVERIFY(count >= shortest * SoundMixer::kSampleRate &&
                count < longest * SoundMixer::kSampleRate);
        int peak = 0;
        double energy = 0;
        for (qsizetype i = 0; i < count; ++i) {
            peak = qMax(peak, qAbs(int(sampleAt(pcm, i))));
            energy += double(sampleAt(pcm, i)) * sampleAt(pcm, i);
        }
        QVERIFY2(peak < 0.95 * 32768, "clipped");
        QVERIFY2(std::sqrt(energy / count) > 0.05 * 32768, "too quiet");
        // A loop joins without a click: both ends sit at silence.
        QVERIFY(!loop || (qAbs(sampleAt(pcm, 0)) < 330 && qAbs(sampleAt(pcm, count - 1)) < 330));
    }
    void readerRefusesOtherFormats() {
        const QByteArray good = readFile(SoundBoard::file(Music::Jingle));
        const auto patched = [&good](int at, QByteArray bytes) {
            return QByteArray(good).replace(at, bytes.size(), bytes);
        };
        const QByteArray bad[] = {
            {},
            good.left(30),                              // cut inside the format
            good.left(good.size() - 2),                 // data shorter than it claims
            patched(8, "AVI "),                         // not a WAV
            patched(20, QByteArray("\3\0", 2)),         // float samples
            patched(22, QByteArray("\2\0", 2)),         // stereo
            patched(24, QByteArray("\x44\xac\0\0", 4)), // 44.1 kHz
            patched(34, QByteArray("\x08\0", 2)),       // 8-bit
        };
        QTemporaryDir dir;
        for (const QByteArray& bytes : bad) {
            QVERIFY(writeFile(dir.filePath("bad.wav"), bytes));
            QVERIFY(SoundMixer::loadClip(dir.filePath("bad.wav")).isEmpty());
        }
        QVERIFY(SoundMixer::loadClip(dir.filePath("missing.wav")).isEmpty());
    }
    void boardHoldsMusic() {
        SoundBoard board;
        QVERIFY(!board.hasAudioOutput()); // the offscreen platform plays nowhere
        QCOMPARE(board.music(), Music::None);
        QVERIFY(!board.isMusicPlaying());
        board.setMusic(Music::Boss);
        QVERIFY(board.isMusicPlaying());
        const qreal full = board.musicVolume();
        board.setSlowMotion(true);
        QVERIFY(board.musicVolume() < full / 2);
        board.setSlowMotion(false);
        QCOMPARE(board.musicVolume(), full);
        board.setPaused(true);
        QVERIFY(!board.isMusicPlaying() && board.isPaused() && board.music() == Music::Boss);
        board.play(Sfx::Button); // the pause screen's buttons still click
        QCOMPARE(board.played(), QList<Sfx>{Sfx::Button});
        board.setPaused(false);
        QVERIFY(board.isMusicPlaying());
    }
    void muteSilencesAndIsRemembered() {
        QVERIFY(!SoundBoard().isMuted());
        {
            SoundBoard board;
            board.setMusic(Music::Main);
            board.toggleMuted();
            board.play(Sfx::Jump);
            QVERIFY(board.isMuted() && board.played().isEmpty() && !board.isMusicPlaying());
        }
        SoundBoard again;
        QVERIFY(again.isMuted());
        again.setMuted(false, SoundBoard::Persist::ThisRunOnly);
        QVERIFY(!again.isMuted());
        QVERIFY(SoundBoard().isMuted());
        again.toggleMuted();
        again.toggleMuted();
        QVERIFY(!SoundBoard().isMuted());
    }
    void mixerSumsVoicesAndHoldsMusicInPlace() {
        const QByteArray effect = constantClip(1000, 100);
        QByteArray music = constantClip(0, 300);
        for (int i = 0; i < 300; ++i)
            qToLittleEndian<qint16>(qint16(i), music.data() + 2 * i);
        SoundMixer mixer;
        mixer.setMusicVolume(1.0);
        QVERIFY(mixer.read(2 * 50) == constantClip(0, 50)); // silence streams on
        mixer.setMusic(&music, true);
        mixer.play(effect, 0.5);
        mixer.play(effect, 0.5);
        // A new effect sounds from the very next sample read.
        const QByteArray first = mixer.read(2 * 150);
        QCOMPARE(sampleAt(first, 10), qint16(10 + 1000));
        QCOMPARE(sampleAt(first, 120), qint16(120)); // effects over
        mixer.setMusicHeld(true);
        QVERIFY(mixer.read(2 * 100) == constantClip(0, 100));
        mixer.setMusicHeld(false);
        const QByteArray rest = mixer.read(2 * 200);
        QCOMPARE(sampleAt(rest, 0), qint16(150));  // where it was held
        QCOMPARE(sampleAt(rest, 160), qint16(10)); // and round again
        mixer.play(effect, 1.0);
        mixer.stopEffects();
        mixer.setMusic(nullptr, false);
        QVERIFY(mixer.read(2 * 20) == constantClip(0, 20));
    }
};

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
