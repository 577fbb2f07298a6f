#pragma once

#include <QString>

// The saved files each hold one decimal integer, read with QTextStream's
// default rules (leading white space skipped, 0x / 0b / 0 prefixes honoured).
namespace SavedFile {

// Reads the number in `name`. A missing file is created holding `fallback`
// and `fallback` is returned; an unreadable one gives `fallback`; content that
// is not a number gives 0, a number beyond the int range the nearest int.
int readOrCreate(const QString& name, int fallback);

// Replaces the content of `name` by `value`, atomically: a crash mid-write
// leaves the old content. Returns false, changing nothing, when it cannot, and
// then warns once, naming the file and the reason.
bool write(const QString& name, int value);

} // namespace SavedFile
