// Digits, cursors, the aiming mark and the buttons.
#include "art.h"

#include <QFontMetrics>
#include <QPainterPath>

namespace art {

namespace {

constexpr int kDigitCell = 45;
constexpr int kDigitHeight = 50;
constexpr int kDigitStripWidth = 455;
constexpr int kDigitUnit = 6;
constexpr int kBigButtonWidth = 158;
constexpr int kBigButtonHeight = 142;
constexpr int kWideButtonWidth = 142;
constexpr int kWideButtonHeight = 63;
constexpr int kSmallButtonWidth = 99;
constexpr int kSmallButtonHeight = 44;
constexpr int kButtonLip = 4;
// Label pixel sizes of the small, wide and big buttons, Chinese then English:
// an English word runs longer than the two characters it stands for.
constexpr int kSmallLabelSize[] = {21, 19};
constexpr int kWideLabelSize[] = {27, 20};
constexpr int kBigLabelSize[] = {32, 30};

// 5 x 7 bitmap digits.
const char* const kDigits[10][7] = {
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
    {"..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "#####"},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {".###.", "#...#", "....#", "..##.", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
};

// Chunky button: chamfered ink border, paper face, dark lip underneath.
void chamfered(QPainter& p, const QRect& r, int step, const QColor& colour) {
    p.fillRect(r.adjusted(2 * step, 0, -2 * step, 0), colour);
    p.fillRect(r.adjusted(step, step, -step, -step), colour);
    p.fillRect(r.adjusted(0, 2 * step, 0, -2 * step), colour);
}

QRect buttonFace(QPainter& p, int width, int height) {
    constexpr int border = 3;
    const QRect face(0, 0, width, height - kButtonLip);
    chamfered(p, face.translated(0, kButtonLip), border, kInkDark);
    chamfered(p, face, border, kInk);
    chamfered(p, face.adjusted(border, border, -border, -border), border, kPaper);
    // A light band along the top edge gives the face some volume.
    p.fillRect(face.adjusted(3 * border, border, -3 * border, -face.height() + 2 * border),
               Qt::white);
    return face;
}

// Icons are small pixel grids blown up to the button's scale.
QImage iconGrid(int cells, int scale, const std::function<void(QPainter&)>& draw) {
    return pixelArt(cells * scale, cells * scale, scale, draw);
}

int labelSize(const int (&sizes)[2], Language language) {
    return sizes[language == Language::Chinese ? 0 : 1];
}

void label(QPainter& p, const QRect& box, const QString& text, int pixelSize) {
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    // A word that would touch the border is set smaller rather than cut.
    while (QFontMetrics(cjkFont(pixelSize)).horizontalAdvance(text) > box.width())
        --pixelSize;
    p.setFont(cjkFont(pixelSize));
    p.setPen(kInkDark);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

QImage smallButton(Language language, const Words& words,
                   const std::function<void(QPainter&)>& drawIcon) {
    QImage image = blank(kSmallButtonWidth, kSmallButtonHeight);
    QPainter p(&image);
    const QRect face = buttonFace(p, kSmallButtonWidth, kSmallButtonHeight);
    p.drawImage(QPoint(9, (face.height() - 24) / 2), iconGrid(12, 2, drawIcon));
    label(p, QRect(36, 0, face.width() - 42, face.height()), wording(language, words),
          labelSize(kSmallLabelSize, language));
    return image;
}

QImage wideButton(Language language, const Words& words,
                  const std::function<void(QPainter&)>& drawIcon) {
    QImage image = blank(kWideButtonWidth, kWideButtonHeight);
    QPainter p(&image);
    const QRect face = buttonFace(p, kWideButtonWidth, kWideButtonHeight);
    p.drawImage(QPoint(12, (face.height() - 36) / 2), iconGrid(12, 3, drawIcon));
    label(p, QRect(52, 0, face.width() - 60, face.height()), wording(language, words),
          labelSize(kWideLabelSize, language));
    return image;
}

QImage bigButton(Language language, const Words& words,
                 const std::function<void(QPainter&)>& drawIcon) {
    QImage image = blank(kBigButtonWidth, kBigButtonHeight);
    QPainter p(&image);
    const QRect face = buttonFace(p, kBigButtonWidth, kBigButtonHeight);
    p.drawImage(QPoint((face.width() - 72) / 2, 14), iconGrid(18, 4, drawIcon));
    label(p, QRect(0, 88, face.width(), 42), wording(language, words),
          labelSize(kBigLabelSize, language));
    return image;
}

void fillPolygon(QPainter& p, const QPolygon& polygon, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(polygon);
}

} // namespace

QImage numbers() {
    QImage image = blank(kDigitStripWidth, kDigitHeight);
    QPainter p(&image);
    const int left = (kDigitCell - 5 * kDigitUnit) / 2;
    const int top = (kDigitHeight - 7 * kDigitUnit) / 2;
    for (int digit = 0; digit < 10; ++digit) {
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if (kDigits[digit][row][col] != '#')
                    continue;
                p.fillRect(QRect(digit * kDigitCell + left + col * kDigitUnit,
                                 top + row * kDigitUnit, kDigitUnit, kDigitUnit),
                           kInk);
            }
        }
    }
    return image;
}

QImage cursorPoint() {
    QImage grid = gridFor(60, 62, 2);
    {
        QPainter p(&grid);
        // The tip sits on cell (3, 3), i.e. pixels (6..7, 6..7).
        fillPolygon(p,
                    QPolygon({QPoint(3, 3), QPoint(3, 23), QPoint(8, 18), QPoint(12, 27),
                              QPoint(15, 26), QPoint(11, 17), QPoint(18, 17)}),
                    kInkDark);
    }
    hollow(grid, kPaper);
    addOutline(grid, QColor(255, 255, 255, 200), false);
    return upscale(grid, 2, 60, 62);
}

QImage cursorAim() {
    constexpr int size = 60;
    constexpr int centre = 30;
    QImage image = blank(size, size);
    QPainter p(&image);
    // Dark rims keep the golden sight visible over the golden veil.
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGoldDark, 6));
    p.drawEllipse(QPointF(centre + 0.5, centre + 0.5), 19, 19);
    p.setPen(QPen(kGold, 3));
    p.drawEllipse(QPointF(centre + 0.5, centre + 0.5), 19, 19);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QList<QRect> bars = {QRect(centre - 1, 3, 3, 20), QRect(centre - 1, 38, 3, 20),
                               QRect(3, centre - 1, 20, 3), QRect(38, centre - 1, 20, 3),
                               QRect(centre - 1, centre - 1, 3, 3)};
    for (const QRect& bar : bars)
        p.fillRect(bar.adjusted(-1, -1, 1, 1), kGoldDark);
    for (const QRect& bar : bars)
        p.fillRect(bar, kGoldLight);
    p.fillRect(QRect(centre, centre, 1, 1), kGold);
    return image;
}

QImage target() {
    return pixelArt(72, 72, 2, [](QPainter& p) {
        const QColor red(214, 44, 34, 200);
        const QColor gold(240, 188, 40, 190);
        const QColor rim(60, 20, 10, 110);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(rim, 4));
        p.drawEllipse(QRect(4, 4, 28, 28));
        p.setPen(QPen(red, 2));
        p.drawEllipse(QRect(4, 4, 28, 28));
        p.setPen(QPen(gold, 1));
        p.drawEllipse(QRect(11, 11, 14, 14));
        const QList<QRect> ticks = {QRect(17, 0, 2, 8), QRect(17, 28, 2, 8), QRect(0, 17, 8, 2),
                                    QRect(28, 17, 8, 2)};
        for (const QRect& tick : ticks) {
            p.fillRect(tick.adjusted(-1, -1, 1, 1), rim);
            p.fillRect(tick, red);
        }
        p.fillRect(QRect(17, 17, 2, 2), gold);
    });
}

QImage startButton(Language language) {
    return bigButton(language, {"开始", "Start"}, [](QPainter& p) {
        fillPolygon(p, QPolygon({QPoint(5, 2), QPoint(5, 15), QPoint(15, 9), QPoint(15, 8)}), kInk);
    });
}

QImage restartButton(Language language) {
    return bigButton(language, {"重来", "Restart"}, [](QPainter& p) {
        // Clockwise circular arrow, open at the top.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(QRect(3, 4, 13, 13), 70 * 16, -300 * 16);
        fillPolygon(p, QPolygon({QPoint(5, 0), QPoint(5, 9), QPoint(10, 5), QPoint(10, 4)}), kInk);
    });
}

QImage pauseButton(Language language) {
    return smallButton(language, {"暂停", "Pause"}, [](QPainter& p) {
        p.fillRect(QRect(2, 1, 3, 10), kInk);
        p.fillRect(QRect(7, 1, 3, 10), kInk);
    });
}

QImage homeButton(Language language) {
    return smallButton(language, {"主页", "Home"}, [](QPainter& p) {
        fillPolygon(p, QPolygon({QPoint(0, 6), QPoint(6, 0), QPoint(11, 5), QPoint(11, 6)}), kInk);
        p.fillRect(QRect(2, 6, 8, 6), kInk);
        p.fillRect(QRect(5, 8, 2, 4), kPaper);
    });
}

QImage quitButton(Language language) {
    return smallButton(language, {"退出", "Exit"}, [](QPainter& p) {
        // An open door with an arrow leaving through it.
        p.fillRect(QRect(0, 0, 6, 12), kInk);
        p.fillRect(QRect(1, 1, 4, 11), kPaper);
        p.fillRect(QRect(1, 1, 2, 11), kInkSoft);
        p.fillRect(QRect(5, 5, 5, 2), kInk);
        fillPolygon(p, QPolygon({QPoint(9, 3), QPoint(12, 6), QPoint(9, 9)}), kInk);
    });
}

QImage confirmButton(Language language) {
    return smallButton(language, {"确认", "OK"}, [](QPainter& p) {
        p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(1, 6, 4, 9);
        p.drawLine(4, 9, 10, 2);
    });
}

QImage teachButton(Language language) {
    return wideButton(language, {"教程", "Tutorial"}, [](QPainter& p) {
        // An open book: page edges rising to the spine, lines of text.
        static const char* const book[] = {
            ".##......##.", "#oo##..##oo#", "#oooo##oooo#", "#o##o##o##o#",
            "#oooo##oooo#", "#o##o##o##o#", "#oooo##oooo#", "#o##o##o##o#",
            "#oooo##oooo#", "###oo##oo###", "...######...",
        };
        for (int row = 0; row < 11; ++row)
            for (int col = 0; col < 12; ++col)
                if (book[row][col] != '.')
                    cell(p, col, row + 1, book[row][col] == '#' ? kInk : Qt::white);
    });
}

QImage upgradeButton(Language language) {
    return wideButton(language, {"升级", "Upgrade"}, [](QPainter& p) {
        // Up arrow rising from a floor line.
        fillPolygon(p, QPolygon({QPoint(5, 0), QPoint(6, 0), QPoint(11, 5), QPoint(0, 5)}), kInk);
        p.fillRect(QRect(4, 5, 4, 5), kInk);
        p.fillRect(QRect(1, 11, 10, 1), kInk);
    });
}

QImage optionsButton(Language language) {
    return wideButton(language, {"选项", "Options"}, [](QPainter& p) {
        // A cog: eight teeth round a hub with a hole.
        static const char* const cog[] = {
            ".....##.....", "..#.####.#..", ".##########.", "..###..###..",
            ".###....###.", "####....####", "####....####", ".###....###.",
            "..###..###..", ".##########.", "..#.####.#..", ".....##.....",
        };
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 12; ++col)
                if (cog[row][col] == '#')
                    cell(p, col, row, kInk);
    });
}

} // namespace art
