#pragma once

#include "guidepainter.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPainter>

#include <functional>
#include <vector>

// Everything here draws the game's picture set. The look is a monochrome ink
// world (dark grey on light grey, chunky pixels); colour is kept for the things
// whose colour means something: the slow-motion gun, the saucer, fire and the
// alien's eyes and energy.
namespace art {

// The palette.
inline const QColor kInk = GuidePainter::kInk;
inline const QColor kInkDark = GuidePainter::kInkDark;
inline const QColor kInkSoft{128, 128, 128};
inline const QColor kInkPale{176, 176, 176};
inline const QColor kPaper = GuidePainter::kPaper;
inline const QColor kWorld = GuidePainter::kWorld;
inline const QColor kGold{232, 178, 36};
inline const QColor kGoldDark{128, 88, 12};
inline const QColor kGoldLight{255, 226, 128};
inline const QColor kGlowGreen{96, 232, 128};
inline const QColor kEyeRed{226, 36, 36};
inline const QColor kEyeGlint{255, 170, 150};
inline const QColor kFlameWhite{255, 248, 200};
inline const QColor kFlameYellow{255, 208, 64};
inline const QColor kFlameOrange{246, 128, 32};
inline const QColor kFlameRed{208, 50, 30};
inline const QColor kSmoke{96, 96, 100};

// The language of the writing on a picture. The game's own pictures carry
// Chinese; the English ones are drawn beside them for the English resources.
enum class Language { Chinese, English };

// The writing of one picture element in both languages.
struct Words {
    const char* chinese;
    const char* english;
};

QString wording(Language language, const Words& words);

// One horizontal run of grid cells, both ends included.
struct Span {
    int row;
    int from;
    int to;
};

QImage blank(int width, int height);

// Pixel art: draws into a grid of ceil(size / scale) cells without
// antialiasing and blows it up by `scale`. The result keeps the grid's bottom
// edge, so feet and cactus bases stand exactly on the bottom of the picture.
QImage upscale(const QImage& grid, int scale, int width, int height);
QImage pixelArt(int width, int height, int scale, const std::function<void(QPainter&)>& draw);
QImage gridFor(int width, int height, int scale);

void fillSpans(QPainter& painter, const std::vector<Span>& spans, const QColor& colour, int dx = 0,
               int dy = 0);
void cell(QPainter& painter, int x, int y, const QColor& colour);

// Grid post-processing: a one-cell rim around every opaque cell, and the
// inside of a shape repainted so that only a one-cell border keeps its colour.
void addOutline(QImage& grid, const QColor& colour, bool diagonals);
void hollow(QImage& grid, const QColor& inside);

QImage strip(const QList<QImage>& frames, int totalWidth);
QFont cjkFont(int pixelSize, bool bold = true);

// Sprites of the world.
QImage dinoSheet();
QImage dinoLowSheet();
QImage birdSheet();
QImage birdDead();
QImage cactiSheet();
QImage cactiFlat();
QImage cloud();
QImage gunSheet(bool coloured);
QImage explosionSheet(int frameSize, int scale);
QImage ball();
QImage ufo();
QImage ufoDamagedSheet();

// The ink alien.
QImage headSheet();
QImage headDead();
QImage headBig();
QImage mkFly();

// Interface pictures. The icon is drawn at any size; the window's own is 86 px.
QImage icon(int size);
QImage numbers();
QImage cursorPoint();
QImage cursorAim();
QImage target();
QImage startButton(Language language);
QImage restartButton(Language language);
QImage pauseButton(Language language);
QImage homeButton(Language language);
QImage quitButton(Language language);
QImage confirmButton(Language language);
QImage teachButton(Language language);
QImage upgradeButton(Language language);
QImage optionsButton(Language language);
QImage guide(Language language);

// Shared by the icon and the tutorial picture.
void paintDinoFrame(QPainter& painter, int frame);

} // namespace art
