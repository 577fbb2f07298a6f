#pragma once

#include <QRectF>

class QPainter;

// The frame that marks what the keyboard or the pad would press: the ink's
// outline a few pixels outside the rectangle, with solid square corners in
// the pixel look of the game's panels. Any screen's buttons can wear it.
void paintFocusFrame(QPainter& painter, const QRectF& around);

// Where the frame's outline lies for a rectangle.
QRectF focusFrameRect(const QRectF& around);
