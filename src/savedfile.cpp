#include "savedfile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringView>
#include <QTextStream>

#include <algorithm>
#include <climits>

namespace {
// The most significant digits a number may have in each base and still be
// exact in a signed 64-bit accumulator. Any longer number is far beyond int.
constexpr int kExactBinaryDigits = 62;
constexpr int kExactOctalDigits = 20;
constexpr int kExactDecimalDigits = 18;
constexpr int kExactHexDigits = 15;

// Whether the number QTextStream read from `token` may have wrapped even in
// 64 bits. `token` starts where the number starts and may run on past it. It
// follows QTextStream's own prefix rules: a sign means decimal, then 0x, 0b
// or a 0 before an octal digit; only decimal accepts any Unicode digit.
bool mayHaveWrapped(QStringView token) {
    int base = 10;
    if (token.startsWith(u'-') || token.startsWith(u'+')) {
        token = token.mid(1);
    } else if (token.size() >= 2 && token.front() == u'0') {
        const QChar prefix = token.at(1).toLower();
        if (prefix == u'x') {
            base = 16;
            token = token.mid(2);
        } else if (prefix == u'b') {
            base = 2;
            token = token.mid(2);
        } else if (prefix >= u'0' && prefix <= u'7') {
            base = 8;
        }
    }
    const auto isDigit = [base](QChar c) {
        const QChar lower = c.toLower();
        switch (base) {
        case 2:
            return c == u'0' || c == u'1';
        case 8:
            return c >= u'0' && c <= u'7';
        case 16:
            return (c >= u'0' && c <= u'9') || (lower >= u'a' && lower <= u'f');
        default:
            return c.isDigit();
        }
    };
    qsizetype first = 0;
    while (first < token.size() && isDigit(token.at(first)) && token.at(first).digitValue() == 0)
        ++first;
    qsizetype last = first;
    while (last < token.size() && isDigit(token.at(last)))
        ++last;
    const int exactDigits = base == 2    ? kExactBinaryDigits
                            : base == 8  ? kExactOctalDigits
                            : base == 16 ? kExactHexDigits
                                         : kExactDecimalDigits;
    return last - first > exactDigits;
}

// QTextStream >> int reads the digits into 64 bits without any overflow check
// and then casts, so 4294967297 comes back as 1 and 2147483648 as a negative
// number, which the next bank would write back. The game never writes a
// number beyond int, so such a file was edited by hand: it reads as the
// nearest int instead. Everything within the int range reads exactly as
// QTextStream >> int reads it.
int readNumber(QFile& file) {
    QTextStream stream(&file);
    stream.skipWhiteSpace();
    const qint64 start = stream.pos();
    qlonglong value = 0;
    stream >> value;
    const qint64 length = stream.pos() - start;
    if (start >= 0 && length > 0) {
        // Positions count bytes, read() counts characters: a token with
        // non-ASCII digits reads on past its end, which mayHaveWrapped() ignores.
        stream.seek(start);
        const QString token = stream.read(length);
        if (mayHaveWrapped(token))
            return token.startsWith(u'-') ? INT_MIN : INT_MAX;
    }
    return int(std::clamp<qlonglong>(value, INT_MIN, INT_MAX));
}

bool writeNumber(const QString& name, int value, QString& why) {
    QSaveFile file(name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        {
            QTextStream stream(&file);
            stream << value;
        }
        if (file.commit())
            return true;
    }
    why = file.errorString();
    return false;
}
} // namespace

namespace SavedFile {

int readOrCreate(const QString& name, int fallback) {
    // Nothing is lost when the default cannot be written: no warning.
    QString why;
    if (!QFile::exists(name) && writeNumber(name, fallback, why))
        return fallback;

    QFile file(name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fallback;
    return readNumber(file);
}

bool write(const QString& name, int value) {
    QString why;
    if (writeNumber(name, value, why))
        return true;
    qWarning("brimtalon: could not save %s: %s", qUtf8Printable(QFileInfo(name).absoluteFilePath()),
             qUtf8Printable(why));
    return false;
}

} // namespace SavedFile
