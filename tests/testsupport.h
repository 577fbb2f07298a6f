#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class Widget;

// The whole content of a file; empty when it cannot be read.
QByteArray readFile(const QString& name);
// Replaces the content of a file; false when it cannot.
bool writeFile(const QString& name, const QByteArray& content);

// Runs a test inside its own empty working directory, so saved files never
// touch the real ones; the previous directory comes back on destruction.
class ScopedWorkingDirectory {
public:
    ScopedWorkingDirectory();
    ~ScopedWorkingDirectory();
    QString path() const { return m_dir.path(); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
