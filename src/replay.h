#pragma once

#include <QList>
#include <QPointF>
#include <QSize>
#include <QString>

#include <optional>

// What one step of the game reads from the player: the held keys and mouse
// buttons, the pointer where the last press or release put it, a lost focus,
// the window frame's height, which sets the ground line, and the menu keys
// pressed since the last step.
struct StepInput {
    enum Flag : quint32 {
        Jump = 0x1,
        Down = 0x2,
        Left = 0x4,
        Right = 0x8,
        Escape = 0x10,
        Skill = 0x20,
        MouseLeft = 0x40,
        MouseRight = 0x80,
        FocusLost = 0x100,
        Pointer = 0x200,
        FrameHeight = 0x400,
        // Held, for the slow motion and the gun without a mouse.
        SlowMotion = 0x800,
        Fire = 0x1000,
        AimUp = 0x2000,
        AimDown = 0x4000,
        AimLeft = 0x8000,
        AimRight = 0x10000,
        // Pressed since the last step.
        MenuUp = 0x20000,
        MenuDown = 0x40000,
        MenuLeft = 0x80000,
        MenuRight = 0x100000,
        Confirm = 0x200000,
        Back = 0x400000,
        // The mouse moved: the focus frame hides.
        MouseMoved = 0x800000,
    };
    static constexpr quint32 kAllFlags = 0xffffff;

    quint32 flags = 0;
    QPointF pointer;
    int frameHeight = 0;

    bool has(Flag flag) const { return flags & flag; }
    bool operator==(const StepInput& other) const;
    bool operator!=(const StepInput& other) const { return !(*this == other); }
};

// A recorded session up to the end of one run: what the game needs to play
// it again exactly (the saved files, language, window size and seed it
// started from, each run's seed) and the input of every step, run-length
// encoded. Which run it keeps is told by how many runs had finished.
class Replay {
public:
    static constexpr quint32 kFormat = 2;

    QString version;
    QString language;
    QSize clientSize;
    int frameHeight = 0;
    quint64 sessionSeed = 0;
    bool firstStart = false;
    int bank = 0;
    int level = 1;
    QList<quint64> runSeeds;
    qint64 runStartStep = 0;
    int finishedRuns = 0;
    int score = 0;

    void append(const StepInput& input);
    qint64 steps() const { return m_steps; }

    // Reading back from the first step; past the last one nothing is held.
    StepInput next();
    bool isExhausted() const { return m_readRun >= m_runs.size(); }

    QByteArray toBytes() const;
    // Refuses (with the reason) anything that is not a whole replay of this format.
    static std::optional<Replay> fromBytes(const QByteArray& bytes, QString* error);
    // Written atomically: the old file stays whole until the new one is.
    bool save(const QString& path) const;
    static std::optional<Replay> load(const QString& path, QString* error);

private:
    struct Span {
        quint32 count;
        StepInput input;
    };
    QList<Span> m_runs;
    qint64 m_steps = 0;
    int m_readRun = 0;
    quint32 m_readInRun = 0;
};
