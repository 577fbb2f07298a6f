#pragma once

#include <QColor>

// The one ink of the interface: texts, outlines and frames.
inline const QColor kInkColor(40, 40, 40);
