#pragma once

#include <QPixmap>
#include <QString>

// Pictures are decoded once and shared afterwards: objects reload their
// sheets on every posture or look change, which must stay cheap per tick.
QPixmap loadPixmap(const QString& path);
