#include "savedfile.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace SavedFile {

int readOrCreate(const QString& name, int fallback) {
    if (!QFile::exists(name) && write(name, fallback))
        return fallback;

    QFile file(name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fallback;
    int value = 0;
    QTextStream stream(&file);
    stream >> value;
    return value;
}

bool write(const QString& name, int value) {
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    {
        QTextStream stream(&file);
        stream << value;
    }
    return file.commit();
}

} // namespace SavedFile
