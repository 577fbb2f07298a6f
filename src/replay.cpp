#include "replay.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

#include <limits>

namespace {
constexpr char kMagic[] = "BRIMTALON-REPLAY";
constexpr int kMagicSize = sizeof(kMagic) - 1;
// Bounds on what a file may claim, so a bad one cannot ask for a huge allocation.
constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;
constexpr int kMaxText = 64;
constexpr int kMaxSide = 1 << 15;
// Smallest stored forms: a span (count and flags) and a run's seed.
constexpr qint64 kMinSpanBytes = 8;
constexpr qint64 kSeedBytes = 8;

void writeText(QDataStream& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8().left(kMaxText);
    out << quint8(utf8.size());
    out.writeRawData(utf8.constData(), int(utf8.size()));
}

bool readText(QDataStream& in, QString& text) {
    quint8 size = 0;
    in >> size;
    if (size > kMaxText)
        return false;
    QByteArray utf8(size, Qt::Uninitialized);
    if (in.readRawData(utf8.data(), size) != size)
        return false;
    text = QString::fromUtf8(utf8);
    return true;
}

qint64 remaining(const QDataStream& in) {
    return in.device()->bytesAvailable();
}

class Reader {
public:
    explicit Reader(QDataStream& in) : m_in(in) {}
    // The count of items stored next, refused when the rest of the file is too short for them.
    bool count(quint32& value, qint64 itemBytes) {
        m_in >> value;
        return ok() && qint64(value) * itemBytes <= remaining(m_in);
    }
    bool ok() const { return m_in.status() == QDataStream::Ok; }

private:
    QDataStream& m_in;
};
} // namespace

bool StepInput::operator==(const StepInput& other) const {
    return flags == other.flags && (!has(Pointer) || pointer == other.pointer) &&
           (!has(FrameHeight) || frameHeight == other.frameHeight);
}

void Replay::append(const StepInput& input) {
    if (!m_runs.isEmpty() && m_runs.last().input == input &&
        m_runs.last().count < std::numeric_limits<quint32>::max())
        ++m_runs.last().count;
    else
        m_runs.append({1, input});
    ++m_steps;
}

StepInput Replay::next() {
    if (isExhausted())
        return StepInput();
    const StepInput input = m_runs.at(m_readRun).input;
    if (++m_readInRun >= m_runs.at(m_readRun).count) {
        ++m_readRun;
        m_readInRun = 0;
    }
    return input;
}

QByteArray Replay::toBytes() const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out.writeRawData(kMagic, kMagicSize);
    out << kFormat;
    writeText(out, version);
    writeText(out, language);
    out << qint32(clientSize.width()) << qint32(clientSize.height()) << qint32(frameHeight)
        << sessionSeed << quint8(firstStart) << qint32(bank) << qint32(level);
    out << quint32(runSeeds.size());
    for (quint64 seed : runSeeds)
        out << seed;
    out << qint64(runStartStep) << qint32(finishedRuns) << qint32(score);
    out << quint32(m_runs.size());
    for (const Span& span : m_runs) {
        out << span.count << span.input.flags;
        if (span.input.has(StepInput::Pointer))
            out << span.input.pointer.x() << span.input.pointer.y();
        if (span.input.has(StepInput::FrameHeight))
            out << qint32(span.input.frameHeight);
    }
    return bytes;
}

std::optional<Replay> Replay::fromBytes(const QByteArray& bytes, QString* error) {
    const auto refuse = [error](const char* why) {
        *error = QString::fromLatin1(why);
        return std::nullopt;
    };
    if (bytes.isEmpty())
        return refuse("empty file");
    if (!bytes.startsWith(QByteArray(kMagic, kMagicSize)))
        return refuse("not a replay");
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    in.skipRawData(kMagicSize);
    Reader read(in);
    Replay replay;
    quint32 format = 0;
    in >> format;
    if (read.ok() && format != kFormat)
        return refuse("a replay of another format");
    if (!readText(in, replay.version) || !readText(in, replay.language))
        return refuse("cut short or damaged");
    if (replay.version != QStringLiteral(BRIMTALON_VERSION))
        return refuse("recorded by another version of the game");
    qint32 width = 0, height = 0, frameHeight = 0, bank = 0, level = 0;
    quint8 firstStart = 0;
    in >> width >> height >> frameHeight >> replay.sessionSeed >> firstStart >> bank >> level;
    if (!read.ok())
        return refuse("cut short");
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide || frameHeight < 0 ||
        frameHeight > kMaxSide || firstStart > 1)
        return refuse("damaged header");
    replay.clientSize = QSize(width, height);
    replay.frameHeight = frameHeight;
    replay.firstStart = firstStart;
    replay.bank = bank;
    replay.level = level;
    quint32 seeds = 0;
    if (!read.count(seeds, kSeedBytes))
        return refuse("cut short");
    replay.runSeeds.resize(seeds);
    for (quint64& seed : replay.runSeeds)
        in >> seed;
    qint64 runStart = 0;
    qint32 finished = 0, score = 0;
    in >> runStart >> finished >> score;
    quint32 spans = 0;
    if (!read.count(spans, kMinSpanBytes))
        return refuse("cut short");
    if (runStart < 0 || finished < 1)
        return refuse("damaged header");
    replay.runStartStep = runStart;
    replay.finishedRuns = finished;
    replay.score = score;
    replay.m_runs.reserve(spans);
    for (quint32 i = 0; i < spans; ++i) {
        Span span{0, {}};
        in >> span.count >> span.input.flags;
        if (span.input.has(StepInput::Pointer)) {
            double x = 0, y = 0;
            in >> x >> y;
            span.input.pointer = QPointF(x, y);
        }
        if (span.input.has(StepInput::FrameHeight))
            in >> span.input.frameHeight;
        if (!read.ok())
            return refuse("cut short");
        if (span.count < 1 || (span.input.flags & ~StepInput::kAllFlags))
            return refuse("damaged input");
        replay.m_runs.append(span);
        replay.m_steps += span.count;
    }
    if (!in.atEnd())
        return refuse("trailing bytes");
    return replay;
}

bool Replay::save(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toBytes();
    return file.write(bytes) == bytes.size() && file.commit();
}

std::optional<Replay> Replay::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    if (file.size() > kMaxFileBytes) {
        *error = QStringLiteral("too large for a replay");
        return std::nullopt;
    }
    return fromBytes(file.read(kMaxFileBytes), error);
}
