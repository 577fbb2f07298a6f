#include "cursors.h"

#include "pixmaps.h"

namespace {
constexpr int kPointHotSpot = 6;
} // namespace

void Cursors::load() {
    pointCursor = QCursor(loadPixmap(":/images/cursor_point.png"), kPointHotSpot, kPointHotSpot);
    const QPixmap aimPixmap = loadPixmap(":/images/cursor_aim.png");
    aimCursor = QCursor(aimPixmap, aimPixmap.width() / 2, aimPixmap.height() / 2);
}
