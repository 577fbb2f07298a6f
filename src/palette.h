#pragma once

#include <QColor>

// The one ink of the interface: texts, outlines and frames.
inline const QColor kInkColor(40, 40, 40);

#include <QString>

// The typeface of every text the interface draws.
inline const QString kInterfaceFontFamily = QStringLiteral("黑体");
