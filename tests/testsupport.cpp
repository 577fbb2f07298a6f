#include "testsupport.h"

#include <QDir>

ScopedWorkingDirectory::ScopedWorkingDirectory() : m_previous(QDir::currentPath()) {
    QDir::setCurrent(m_dir.path());
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    QDir::setCurrent(m_previous);
}
