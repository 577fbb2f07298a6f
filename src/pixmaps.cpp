#include "pixmaps.h"

#include <QPixmapCache>

namespace {
// Large enough for the whole picture set, so nothing is ever evicted and decoded twice.
constexpr int kCacheLimitKb = 64 * 1024;
} // namespace

QPixmap loadPixmap(const QString& path) {
    static const bool limitSet = [] {
        QPixmapCache::setCacheLimit(kCacheLimitKb);
        return true;
    }();
    Q_UNUSED(limitSet);

    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    pixmap.load(path);
    if (!pixmap.isNull())
        QPixmapCache::insert(path, pixmap);
    return pixmap;
}
