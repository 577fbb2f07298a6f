// The classic runner's cast: the dinosaur, cacti, birds and clouds, drawn as
// chunky two-pixel cells in ink on transparency.
#include "art.h"

#include <QPainterPath>

namespace art {

namespace {

constexpr int kScale = 2;
constexpr int kDinoWidth = 87;
constexpr int kDinoHeight = 94;
constexpr int kDinoLowWidth = 118;
constexpr int kDinoLowHeight = 59;
constexpr int kBirdWidth = 91;
constexpr int kBirdHeight = 80;
constexpr int kBirdSheetWidth = 183;
constexpr int kCactiWidth = 300;
constexpr int kCactiHeight = 87;
constexpr int kCactiFlatHeight = 30;
constexpr int kCloudWidth = 191;
constexpr int kCloudHeight = 55;

// Upright dinosaur on a 44 x 47 grid, facing right; legs are added per frame.
const std::vector<Span> kDinoBody = {
    {0, 24, 40},  {1, 23, 41},  {2, 23, 41},  {3, 23, 41},  {4, 23, 41},  {5, 23, 41},
    {6, 23, 41},  {7, 23, 41},  {8, 23, 41},  {9, 23, 41},  {10, 23, 33}, {11, 23, 38},
    {12, 22, 31}, {13, 21, 31}, {14, 19, 31}, {15, 16, 31}, {16, 14, 31}, {16, 32, 35},
    {17, 0, 1},   {17, 12, 31}, {17, 34, 35}, {18, 0, 1},   {18, 10, 31}, {18, 34, 35},
    {19, 0, 2},   {19, 9, 30},  {20, 0, 3},   {20, 8, 30},  {21, 0, 29},  {22, 0, 29},
    {23, 1, 29},  {24, 2, 28},  {25, 3, 28},  {26, 4, 27},  {27, 5, 27},  {28, 6, 26},
    {29, 8, 26},  {30, 10, 25}, {31, 11, 24}, {32, 12, 24},
};

// Leg: a column of cells from the hip row down to the foot, toes forward.
void leg(QPainter& painter, int x, int hipRow, int footRow, const QColor& colour) {
    painter.fillRect(QRect(x, hipRow, 3, footRow - hipRow), colour);
    painter.fillRect(QRect(x, footRow, 5, 2), colour);
}

void eye(QPainter& painter, int x, int y) {
    painter.fillRect(QRect(x, y, 3, 3), kPaper);
    cell(painter, x + 1, y + 1, kInk);
}

void paintDino(QPainter& painter, int frame) {
    fillSpans(painter, kDinoBody, kInk);
    eye(painter, 26, 2);
    const bool rearDown = frame == 0;
    leg(painter, 13, 33, rearDown ? 45 : 39, kInk);
    leg(painter, 20, 33, rearDown ? 39 : 45, kInk);
    // A tooth keeps the mouth reading as a mouth at small sizes.
    cell(painter, 35, 10, kInk);
}

// Low dinosaur on a 59 x 30 grid: stretched flat, head far forward.
const std::vector<Span> kDinoLowBody = {
    {2, 42, 56},  {3, 41, 57},  {4, 18, 36},  {4, 41, 57},  {5, 12, 57},  {6, 0, 1},
    {6, 8, 57},   {7, 0, 2},    {7, 5, 57},   {8, 0, 57},   {9, 0, 57},   {10, 0, 50},
    {11, 2, 54},  {12, 4, 48},  {13, 6, 39},  {14, 8, 38},  {14, 39, 42}, {15, 10, 37},
    {15, 41, 42}, {16, 12, 35}, {16, 41, 42}, {17, 14, 33}, {18, 15, 30},
};

void paintDinoLow(QPainter& painter, int frame) {
    fillSpans(painter, kDinoLowBody, kInk);
    eye(painter, 45, 4);
    const bool rearDown = frame == 0;
    leg(painter, 17, 19, rearDown ? 28 : 24, kInk);
    leg(painter, 24, 19, rearDown ? 24 : 28, kInk);
}

// Bird on a 46 x 40 grid, facing left (it flies towards the dinosaur).
const std::vector<Span> kBirdBody = {
    {3, 16, 18},  {4, 14, 17},  {5, 12, 16},  {6, 8, 15},   {7, 7, 16},
    {8, 5, 16},   {9, 3, 16},   {10, 1, 16},  {11, 4, 16},  {12, 6, 17},
    {13, 8, 18},  {14, 11, 19}, {15, 13, 21}, {16, 15, 24}, {17, 16, 36},
    {18, 17, 40}, {19, 17, 42}, {20, 18, 44}, {21, 18, 42}, {22, 19, 40},
    {23, 20, 38}, {24, 22, 36}, {25, 25, 33}, {26, 27, 28}, {26, 31, 32},
};

QPolygon birdWing(bool up) {
    const int s = up ? -1 : 1;
    const int base = up ? 18 : 17;
    return QPolygon({QPoint(14, base), QPoint(28, base), QPoint(26, base + s * 7),
                     QPoint(23, base + s * 15), QPoint(20, base + s * 16),
                     QPoint(19, base + s * 11), QPoint(17, base + s * 9)});
}

void paintBird(QPainter& painter, bool wingsUp) {
    fillSpans(painter, kBirdBody, kInk);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInk);
    painter.drawPolygon(birdWing(wingsUp));
    // Bones of the wing, one cell lighter, so the flap reads as a membrane.
    painter.setPen(kInkSoft);
    if (wingsUp)
        painter.drawLine(18, 15, 22, 5);
    else
        painter.drawLine(18, 20, 22, 30);
    painter.setPen(Qt::NoPen);
    painter.fillRect(QRect(10, 8, 2, 2), kPaper);
}

// Saguaro: a stem with rounded top and optional arms that bend upwards.
struct Arm {
    bool left;
    int joinRow;
    int reach;
    int topRow;
};

void roundedColumn(QPainter& painter, int x, int top, int width, int bottom) {
    painter.fillRect(QRect(x + 1, top, width - 2, 1), kInk);
    painter.fillRect(QRect(x, top + 1, width, bottom - top), kInk);
}

void spines(QPainter& painter, int x, int top, int width, int bottom) {
    for (int row = top + 3; row < bottom - 1; row += 5) {
        cell(painter, x - 1, row, kInk);
        cell(painter, x + width, row + 2, kInk);
    }
    // Light ribs down the stem, as on the classic cactus.
    for (int row = top + 2; row < bottom - 2; row += 3)
        cell(painter, x + width / 2, row, kInkSoft);
}

void saguaro(QPainter& painter, int x, int width, int top, int base, const QList<Arm>& arms) {
    const int armWidth = qMax(2, width / 2);
    for (const Arm& arm : arms) {
        const int armX = arm.left ? x - arm.reach : x + width + arm.reach - armWidth;
        const int joinX = arm.left ? x - arm.reach : x + width;
        painter.fillRect(QRect(joinX, arm.joinRow, arm.reach, armWidth), kInk);
        roundedColumn(painter, armX, arm.topRow, armWidth, arm.joinRow + armWidth - 1);
        cell(painter, arm.left ? armX - 1 : armX + armWidth, arm.topRow + 2, kInk);
    }
    roundedColumn(painter, x, top, width, base);
    spines(painter, x, top, width, base);
}

// Organ pipe: a clump of thin columns of different heights.
void organPipe(QPainter& painter, int base) {
    const int columns[][3] = {{77, 16, 4}, {82, 3, 5}, {88, 10, 4}, {93, 22, 4}};
    for (const auto& column : columns) {
        roundedColumn(painter, column[0], column[1], column[2], base);
        spines(painter, column[0], column[1], column[2], base);
    }
    painter.fillRect(QRect(78, base - 4, 18, 5), kInk);
}

// A broken length of stem lying on the ground, with a jagged break at one end.
void log(QPainter& painter, int x, int top, int length, int thickness, bool breakRight) {
    painter.fillRect(QRect(x + 1, top, length - 2, thickness), kInk);
    painter.fillRect(QRect(x, top + 1, length, thickness - 1), kInk);
    const int brk = breakRight ? x + length - 1 : x;
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    for (int row = top; row < top + thickness; row += 2)
        painter.fillRect(QRect(brk, row, 1, 1), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (int i = x + 2; i < x + length - 2; i += 3)
        cell(painter, i, top + thickness / 2, kInkSoft);
    cell(painter, x + length / 2, top - 1, kInk);
}

void stump(QPainter& painter, int x, int width, int top) {
    painter.fillRect(QRect(x, top + 1, width, 15 - top - 1), kInk);
    for (int i = 0; i < width; i += 2)
        cell(painter, x + i, top, kInk);
}

void crumbs(QPainter& painter, const QList<int>& columns) {
    for (int x : columns)
        cell(painter, x, 14, kInk);
}

} // namespace

void paintDinoFrame(QPainter& painter, int frame) {
    paintDino(painter, frame);
}

QImage dinoSheet() {
    QList<QImage> frames;
    for (int frame = 0; frame < 2; ++frame)
        frames << pixelArt(kDinoWidth, kDinoHeight, kScale,
                           [frame](QPainter& p) { paintDino(p, frame); });
    return strip(frames, 2 * kDinoWidth);
}

QImage dinoLowSheet() {
    QList<QImage> frames;
    for (int frame = 0; frame < 2; ++frame)
        frames << pixelArt(kDinoLowWidth, kDinoLowHeight, kScale,
                           [frame](QPainter& p) { paintDinoLow(p, frame); });
    return strip(frames, 2 * kDinoLowWidth);
}

QImage birdSheet() {
    QList<QImage> frames;
    for (int frame = 0; frame < 2; ++frame)
        frames << pixelArt(kBirdWidth, kBirdHeight, kScale,
                           [frame](QPainter& p) { paintBird(p, frame == 0); });
    return strip(frames, kBirdSheetWidth);
}

QImage birdDead() {
    QImage grid = gridFor(kBirdWidth, kBirdHeight, kScale);
    {
        QPainter painter(&grid);
        fillSpans(painter, kBirdBody, kInk);
        // Wing folded limp against the body.
        painter.setPen(Qt::NoPen);
        painter.setBrush(kInk);
        painter.drawPolygon(QPolygon({QPoint(17, 20), QPoint(30, 20), QPoint(26, 27)}));
        painter.setPen(kInkSoft);
        painter.drawLine(20, 21, 27, 21);
        // Crossed-out eye.
        for (const QPoint& point :
             {QPoint(9, 7), QPoint(11, 7), QPoint(10, 8), QPoint(9, 9), QPoint(11, 9)})
            cell(painter, point.x(), point.y(), kPaper);
        // Tongue hanging out of the beak.
        cell(painter, 3, 11, kInk);
        cell(painter, 3, 12, kInkSoft);
    }
    // Belly up, lying on the bottom edge.
    grid = grid.mirrored(false, true);
    {
        QPainter painter(&grid);
        const QList<QRect> feathers = {{14, 5, 3, 1}, {15, 4, 1, 1}, {26, 2, 1, 3},
                                       {27, 3, 1, 1}, {36, 7, 3, 1}, {37, 8, 1, 1}};
        for (const QRect& feather : feathers)
            painter.fillRect(feather, kInkSoft);
        // Legs sticking up.
        painter.fillRect(QRect(28, 10, 1, 3), kInk);
        painter.fillRect(QRect(31, 10, 1, 3), kInk);
        painter.fillRect(QRect(27, 10, 2, 1), kInk);
        painter.fillRect(QRect(31, 10, 2, 1), kInk);
    }
    return upscale(grid, kScale, kBirdWidth, kBirdHeight);
}

QImage cactiSheet() {
    return pixelArt(kCactiWidth, kCactiHeight, kScale, [](QPainter& p) {
        constexpr int base = 43;
        saguaro(p, 10, 6, 1, base, {{true, 22, 5, 11}, {false, 16, 5, 6}});
        saguaro(p, 34, 6, 8, base, {{false, 20, 5, 12}, {true, 28, 4, 22}});
        saguaro(p, 54, 5, 4, base, {{true, 17, 3, 9}});
        saguaro(p, 65, 5, 14, base, {{false, 24, 4, 18}});
        organPipe(p, base);
        saguaro(p, 103, 6, 6, base, {{false, 20, 4, 12}});
        saguaro(p, 118, 7, 1, base, {{true, 24, 3, 16}, {false, 14, 5, 5}});
        saguaro(p, 134, 6, 12, base, {{false, 22, 5, 15}});
        saguaro(p, 145, 4, 30, base, {});
    });
}

QImage cactiFlat() {
    return pixelArt(kCactiWidth, kCactiFlatHeight, kScale, [](QPainter& p) {
        // Kind 1: stump, the trunk lying to the left, an arm to the right.
        stump(p, 10, 6, 10);
        log(p, 0, 10, 10, 5, true);
        log(p, 17, 11, 8, 4, false);
        p.fillRect(QRect(22, 8, 2, 3), kInk);
        crumbs(p, {16, 9});
        // Kind 2.
        stump(p, 34, 6, 11);
        log(p, 25, 10, 8, 5, true);
        log(p, 41, 12, 8, 3, false);
        crumbs(p, {33, 40});
        // Kind 3: two stumps with their tops broken off between them.
        stump(p, 54, 5, 12);
        stump(p, 65, 5, 12);
        log(p, 59, 9, 6, 4, false);
        log(p, 70, 11, 5, 4, false);
        log(p, 50, 11, 4, 4, true);
        crumbs(p, {63, 58});
        // Kind 4: the clump snapped off at its base.
        stump(p, 78, 18, 11);
        log(p, 76, 8, 11, 3, true);
        log(p, 88, 9, 11, 3, false);
        log(p, 82, 5, 8, 3, true);
        crumbs(p, {75, 98});
        // Kind 5: the group, toppled.
        stump(p, 103, 6, 11);
        stump(p, 118, 7, 10);
        stump(p, 134, 6, 11);
        stump(p, 145, 4, 12);
        log(p, 109, 9, 9, 5, true);
        log(p, 125, 10, 9, 5, false);
        log(p, 140, 11, 5, 3, true);
        log(p, 100, 12, 3, 3, true);
        p.fillRect(QRect(113, 6, 2, 3), kInk);
        crumbs(p, {117, 131, 144});
    });
}

QImage cloud() {
    QImage grid = gridFor(kCloudWidth, kCloudHeight, kScale);
    {
        QPainter painter(&grid);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kPaper);
        painter.drawEllipse(QPoint(20, 19), 7, 7);
        painter.drawEllipse(QPoint(35, 13), 10, 10);
        painter.drawEllipse(QPoint(53, 11), 12, 10);
        painter.drawEllipse(QPoint(69, 15), 9, 8);
        painter.drawEllipse(QPoint(81, 20), 6, 5);
        painter.fillRect(QRect(14, 19, 72, 7), kPaper);
        painter.fillRect(QRect(24, 12, 56, 10), kPaper);
    }
    addOutline(grid, kInkPale, false);
    return upscale(grid, kScale, kCloudWidth, kCloudHeight);
}

QImage icon(int size) {
    // Laid out for the window's 86-pixel icon and scaled as a whole for the
    // desktop's sizes. Below two pixels per sprite cell the bust is averaged
    // down instead of losing whole rows of cells.
    constexpr int designSize = 86;
    constexpr int designCell = 3;
    const qreal scale = qreal(size) / designSize;
    const qreal cellSize = designCell * scale;
    QImage image = blank(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    const QRectF disc(2.5, 2.5, designSize - 5, designSize - 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPaper);
    painter.drawEllipse(disc);

    // The upright sprite's head and chest as a bust.
    QImage head = blank(44, 47);
    {
        QPainter headPainter(&head);
        paintDino(headPainter, 0);
    }
    const QImage bust =
        head.scaled(qRound(44 * cellSize), qRound(47 * cellSize), Qt::IgnoreAspectRatio,
                    cellSize < 2 ? Qt::SmoothTransformation : Qt::FastTransformation);
    QPainterPath clip;
    clip.addEllipse(disc);
    painter.setClipPath(clip);
    painter.save();
    painter.resetTransform();
    painter.drawImage(QPoint(qRound(-46 * scale), qRound(16 * scale)), bust);
    painter.restore();
    painter.setClipping(false);

    painter.setPen(QPen(kInk, 5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(disc);
    return image;
}

} // namespace art
