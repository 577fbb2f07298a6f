#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The game's command line: reads the options, answers --help and --version,
// and prepares the folder of the saved files. What it cannot run with ends in
// one line on stderr and exit code 2.
class LaunchOptions {
public:
    static constexpr int UsageError = 2;

    // Names the program and its version for Qt's help and version texts.
    static void describeApplication();
    // The command line as the program received it, before any application object exists.
    static QStringList arguments(int argc, char* argv[]);

    // True when the game should start; otherwise report() tells why.
    bool parse(const QStringList& arguments);
    // Creates the data folder when missing and makes it the working
    // directory, where the game keeps its saved files. False when unusable.
    bool enterDataDir();
    // parse() and then enterDataDir().
    bool prepare(const QStringList& arguments);
    // After parse() failed because of a one-dash option it does not know,
    // which may be one of Qt's own (-platform, -style …).
    bool hasUnknownOption() const { return m_unknownOption; }

    // Prints the help or version text, or the error line; returns the exit code.
    int report() const;
    QString message() const { return m_message; }
    int exitCode() const { return m_exitCode; }

    QString language() const { return m_language; }
    QString dataDir() const { return m_dataDir; }
    // The player asked for silence: whoever owns the sound reads it here.
    bool muted() const { return m_muted; }
    // The seed every run starts from, when the player chose one.
    std::optional<quint64> seed() const { return m_seed; }
    // A replay to show (or, with --verify, to check without a window).
    QString replayFile() const { return m_replayFile; }
    bool verify() const { return m_verify; }

private:
    bool stop(const QString& message, int exitCode);

    QString m_language;
    QString m_dataDir;
    bool m_muted = false;
    std::optional<quint64> m_seed;
    QString m_replayFile;
    bool m_verify = false;
    bool m_unknownOption = false;
    QString m_message;
    int m_exitCode = 0;
};
