#include "testsupport.h"

#include <QDir>
#include <QFile>

ScopedWorkingDirectory::ScopedWorkingDirectory() : m_previous(QDir::currentPath()) {
    QDir::setCurrent(m_dir.path());
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    QDir::setCurrent(m_previous);
}

QByteArray readFile(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeFile(const QString& name, const QByteArray& content) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}
