// The invader: the ink squid ("墨鲲") in its several guises, its saucer and
// its energy balls.
#include "art.h"

#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace art {

namespace {

constexpr int kHeadFrames = 24;
constexpr int kHeadFrameWidth = 76;
constexpr int kHeadFrameHeight = 75;
constexpr int kHeadSheetWidth = kHeadFrames * kHeadFrameWidth;
constexpr int kHeadDeadSize = 70;
constexpr int kHeadBigWidth = 309;
constexpr int kHeadBigHeight = 304;
constexpr int kFlySize = 600;
constexpr int kUfoWidth = 322;
constexpr int kUfoHeight = 224;
constexpr int kUfoFrames = 4;
constexpr int kBallSize = 76;

const QColor kSquidBody{72, 72, 82};
const QColor kSquidLight{112, 112, 124};
const QColor kSquidOutline{34, 34, 40};
const QColor kEyeDim{150, 40, 40};
const QColor kSaucerTop{255, 176, 72};
const QColor kSaucerMid{238, 112, 36};
const QColor kSaucerLow{192, 56, 30};
const QColor kSaucerEdge{84, 34, 24};
const QColor kSaucerBelly{150, 40, 32};
const QColor kLightOn{255, 232, 120};
const QColor kLightOff{120, 70, 50};
const QColor kGlass{214, 226, 232};

enum class Eyes { Open, Crossed };

// Tentacle: a chain of shrinking discs along a wave, in squid units.
void tentacle(QPainter& p, QPointF root, QPointF reach, double swing, double phase,
              double thickness) {
    constexpr int steps = 16;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const QPointF along = root + reach * t;
        const double r = thickness * (1.0 - 0.55 * t);
        p.drawEllipse(along + QPointF(swing * t * qSin(phase + t * 4.0), 0), r, r);
    }
}

// The ink squid in units: an arrowhead of fins on top (y = -19), the mantle
// down to y = 6 with the eyes at its foot, four tentacles below to about
// y = 16. The caller sets the transform.
void paintSquid(QPainter& p, double phase, double swing, Eyes eyes, bool tentacles = true) {
    p.setPen(Qt::NoPen);
    p.setBrush(kSquidBody);
    if (tentacles) {
        const double roots[] = {-4.6, -1.6, 1.6, 4.6};
        for (int i = 0; i < 4; ++i) {
            const double length = (i == 1 || i == 2) ? 11.5 : 10.0;
            tentacle(p, QPointF(roots[i], 4.5), QPointF(roots[i] * 0.45, length),
                     (i % 2 ? swing : -swing), phase + i * 1.3, 1.3);
        }
    }
    p.drawPolygon(QPolygonF({QPointF(0, -19), QPointF(9.5, -9.5), QPointF(6, -6), QPointF(-6, -6),
                             QPointF(-9.5, -9.5)}));
    p.drawEllipse(QPointF(0, -4), 6.6, 10.0);
    // Sheen down the left of the mantle and fin.
    p.setBrush(kSquidLight);
    p.drawEllipse(QPointF(-3.2, -6.5), 1.2, 3.6);
    p.drawPolygon(QPolygonF({QPointF(-7, -10), QPointF(-1, -16.5), QPointF(-2.5, -12)}));

    if (eyes == Eyes::Open) {
        p.setBrush(kEyeRed);
        p.drawEllipse(QPointF(-3.3, 1.8), 2.5, 2.9);
        p.drawEllipse(QPointF(3.3, 1.8), 2.5, 2.9);
        p.setBrush(kEyeGlint);
        p.drawEllipse(QPointF(-4.0, 0.9), 0.9, 0.9);
        p.drawEllipse(QPointF(2.6, 0.9), 0.9, 0.9);
    } else {
        p.setPen(QPen(kEyeDim, 1.0));
        for (double cx : {-3.3, 3.3}) {
            p.drawLine(QPointF(cx - 1.8, 0.0), QPointF(cx + 1.8, 3.6));
            p.drawLine(QPointF(cx - 1.8, 3.6), QPointF(cx + 1.8, 0.0));
        }
        p.setPen(Qt::NoPen);
    }
}

void paintHeadFrame(QPainter& p, int frame) {
    p.translate(19, 19);
    p.rotate(frame * 360.0 / kHeadFrames);
    p.translate(0, 1);
    paintSquid(p, frame * 2.0 * M_PI / 8.0, 1.8, Eyes::Open);
}

// A crack drawn in clear cells, so the break shows the world behind.
void crack(QPainter& p, const QList<QPointF>& points, const QColor& colour) {
    p.setPen(QPen(colour, 1.0));
    for (int i = 1; i < points.size(); ++i)
        p.drawLine(points[i - 1], points[i]);
    p.setPen(Qt::NoPen);
}

void whiteFlag(QPainter& p, QPointF foot) {
    p.fillRect(QRectF(foot.x(), foot.y() - 44, 1.5, 44), kInkDark);
    const double top = foot.y() - 44;
    QPolygonF cloth({QPointF(foot.x() + 1.5, top), QPointF(foot.x() + 11, top + 2),
                     QPointF(foot.x() + 9, top + 5), QPointF(foot.x() + 11, top + 9),
                     QPointF(foot.x() + 1.5, top + 10)});
    p.setPen(QPen(kInkDark, 1.0));
    p.setBrush(kPaper);
    p.drawPolygon(cloth);
    p.setPen(Qt::NoPen);
}

void star(QPainter& p, QPointF centre, double r) {
    QPolygonF shape;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double rr = (i % 2 == 0) ? r : r * 0.45;
        shape << centre + QPointF(rr * qCos(a), rr * qSin(a));
    }
    p.setBrush(kGold);
    p.drawPolygon(shape);
}

// Bat wing: a fan of finger bones with the membrane scalloped between them.
void wing(QPainter& p, double side) {
    const QPointF shoulder(side * 20, -6);
    const QList<QPointF> tips = {QPointF(side * 92, -40), QPointF(side * 97, -4),
                                 QPointF(side * 84, 26), QPointF(side * 60, 40)};
    QPolygonF membrane;
    membrane << shoulder << QPointF(side * 40, -34) << tips[0];
    for (int i = 1; i < tips.size(); ++i) {
        const QPointF mid = (tips[i - 1] + tips[i]) / 2;
        membrane << mid - QPointF(side * 10, 0) << tips[i];
    }
    membrane << QPointF(side * 26, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(kSquidBody);
    p.drawPolygon(membrane);
    p.setPen(QPen(kSquidLight, 2.0));
    for (const QPointF& tip : tips)
        p.drawLine(shoulder, tip);
    p.setPen(QPen(kSquidOutline, 3.0));
    p.drawLine(shoulder, QPointF(side * 40, -34));
    p.drawLine(QPointF(side * 40, -34), tips[0]);
    p.setPen(Qt::NoPen);
    p.setBrush(kSquidOutline);
    p.drawEllipse(QPointF(side * 40, -34), 3.0, 3.0);
}

QPointF onRim(double degrees, double rx, double ry, QPointF centre) {
    const double a = qDegreesToRadians(degrees);
    return centre + QPointF(rx * qCos(a), ry * qSin(a));
}

// The saucer on a 161 x 112 grid. `damage` < 0 draws the healthy saucer,
// 0..3 the frames of the damaged one.
void paintUfo(QPainter& p, int damage) {
    const QPointF centre(80, 66);
    p.setPen(Qt::NoPen);

    // Emitter glow under the belly.
    QRadialGradient glow(QPointF(80, 101), 18);
    const int glowAlpha = damage < 0 ? 200 : (damage % 2 == 0 ? 150 : 70);
    glow.setColorAt(0.0, QColor(255, 236, 150, glowAlpha));
    glow.setColorAt(0.6, QColor(255, 150, 40, glowAlpha / 2));
    glow.setColorAt(1.0, QColor(255, 120, 30, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(80, 102), 22, 9);

    // Belly dish.
    p.setPen(QPen(kSaucerEdge, 1));
    p.setBrush(kSaucerBelly);
    p.drawEllipse(QPointF(80, 84), 48, 14);
    p.setBrush(QColor(110, 30, 26));
    p.drawEllipse(QPointF(80, 94), 14, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 120));
    p.drawEllipse(QPointF(80, 95), 7, 2);

    // Dome with its pilot.
    QPainterPath dome;
    dome.addEllipse(QPointF(80, 52), 34, 38);
    QPainterPath upper;
    upper.addRect(QRectF(0, 0, 161, 54));
    dome = dome.intersected(upper);
    p.setBrush(QColor(kGlass.red(), kGlass.green(), kGlass.blue(), 235));
    p.drawPath(dome);
    p.save();
    p.setClipPath(dome);
    p.translate(80, 41);
    p.scale(1.4, 1.4);
    paintSquid(p, 0.0, 0.0, Eyes::Open, false);
    p.restore();
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawPath(dome);
    p.setPen(QPen(Qt::white, 2));
    p.drawArc(QRectF(54, 20, 40, 50), 100 * 16, 50 * 16);
    p.setPen(QPen(kSaucerEdge, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(dome);

    // Antenna.
    p.setPen(QPen(kSaucerEdge, 2));
    p.drawLine(QPointF(80, 14), QPointF(80, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(damage < 0 || damage % 2 == 0 ? kFlameRed : kLightOff);
    p.drawEllipse(QPointF(80.5, 5), 3, 3);

    // Rim.
    QLinearGradient rim(QPointF(0, 46), QPointF(0, 86));
    rim.setColorAt(0.0, kSaucerTop);
    rim.setColorAt(0.45, kSaucerMid);
    rim.setColorAt(1.0, kSaucerLow);
    p.setPen(QPen(kSaucerEdge, 2));
    p.setBrush(rim);
    p.drawEllipse(centre, 79, 20);
    p.setBrush(kSaucerLow);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(44, 51, 73, 3));
    p.setPen(QPen(kSaucerEdge, 2));
    p.setBrush(QColor(kSaucerLow.red(), kSaucerLow.green(), kSaucerLow.blue()));
    p.drawChord(QRectF(centre.x() - 79, centre.y() - 20, 158, 40), 200 * 16, 140 * 16);
    p.setPen(QPen(QColor(255, 210, 130), 1));
    p.drawArc(QRectF(centre.x() - 70, centre.y() - 16, 140, 32), 30 * 16, 120 * 16);

    // Portholes along the front of the rim.
    const int lights = 9;
    for (int i = 0; i < lights; ++i) {
        const QPointF at = onRim(160.0 - i * 140.0 / (lights - 1), 66, 9, QPointF(80, 68));
        QColor colour = kLightOn;
        if (damage >= 0) {
            // The damaged saucer's lights stutter: a different set fails in every frame.
            const int pattern[kUfoFrames] = {0b101101011, 0b010010100, 0b110111001, 0b001000010};
            if (!(pattern[damage] >> i & 1))
                colour = kLightOff;
            else if (damage == 2 && i % 3 == 0)
                colour = kFlameRed;
        }
        p.setPen(QPen(kSaucerEdge, 1));
        p.setBrush(colour);
        p.drawEllipse(at, 3.5, 3.5);
        if (colour == kLightOn) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(at.x() - 1.5, at.y() - 1.5, 1, 1));
        }
    }
    p.setPen(Qt::NoPen);
}

void puff(QPainter& p, QPointF centre, double r, int alpha) {
    p.setBrush(QColor(kSmoke.red(), kSmoke.green(), kSmoke.blue(), alpha));
    p.drawEllipse(centre, r, r);
    p.setBrush(QColor(140, 140, 144, alpha));
    p.drawEllipse(centre + QPointF(-r * 0.3, -r * 0.3), r * 0.5, r * 0.5);
}

void paintUfoDamage(QPainter& p, int frame) {
    // A bite out of the right of the rim.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygonF({QPointF(161, 50), QPointF(150, 60), QPointF(154, 66), QPointF(147, 73),
                             QPointF(161, 80)}));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(QPen(kSaucerEdge, 2));
    p.drawPolyline(QPolygonF({QPointF(158, 53), QPointF(150, 60), QPointF(154, 66),
                              QPointF(147, 73), QPointF(155, 79)}));

    // Scorch marks and cracks.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 30, 30, 150));
    p.drawEllipse(QPointF(40, 64), 12, 6);
    p.drawEllipse(QPointF(118, 80), 10, 4);
    crack(p, {{28, 58}, {34, 63}, {31, 68}, {38, 72}, {36, 78}}, kSaucerEdge);
    crack(p, {{46, 62}, {51, 66}, {49, 71}}, kSaucerEdge);
    crack(p, {{124, 56}, {119, 62}, {124, 67}, {118, 74}}, kSaucerEdge);
    crack(p, {{96, 20}, {92, 28}, {97, 33}, {93, 42}}, Qt::white);
    crack(p, {{97, 33}, {103, 37}}, Qt::white);
    crack(p, {{66, 84}, {72, 90}, {69, 95}}, QColor(70, 20, 18));

    // Smoke rising from two wounds; the puffs climb and swell frame by frame.
    const QList<QPointF> wounds = {QPointF(40, 58), QPointF(143, 62)};
    for (int w = 0; w < wounds.size(); ++w) {
        for (int k = 0; k < 4; ++k) {
            const double rise = k * 11 + frame * 3 + w * 4;
            const double r = 3.5 + k * 1.6 + frame * 0.4;
            const int alpha = qMax(40, 220 - k * 45 - frame * 8);
            const double drift = (k % 2 == 0 ? 1 : -1) * (1 + frame % 2) + k * 1.5;
            puff(p, wounds[w] + QPointF(drift, -rise), r, alpha);
        }
    }

    // Flames licking out of the wounds.
    const double flame = 3 + (frame % 2) * 2 + (frame == 2 ? 1 : 0);
    p.setBrush(kFlameOrange);
    p.drawEllipse(QPointF(40, 58), 3, flame);
    p.drawEllipse(QPointF(146, 64), 2.5, flame - 1);
    p.setBrush(kFlameYellow);
    p.drawEllipse(QPointF(40, 59), 1.5, flame / 2);
    p.drawEllipse(QPointF(146, 65), 1.2, (flame - 1) / 2);

    // Sparks jump from the torn rim on alternate frames.
    if (frame % 2 == 1) {
        p.setPen(QPen(kFlameYellow, 1));
        const QPointF from(150, 70);
        for (int i = 0; i < 5; ++i) {
            const double a = qDegreesToRadians(-60.0 + i * 30 + frame * 7);
            const double len = 6 + (i * 3) % 5;
            p.drawLine(from + QPointF(qCos(a) * 3, qSin(a) * 3),
                       from + QPointF(qCos(a) * len, qSin(a) * len));
        }
        p.setPen(Qt::NoPen);
    }
}

QImage squidOnGrid(int width, int height, int scale, const std::function<void(QPainter&)>& draw) {
    QImage grid = gridFor(width, height, scale);
    {
        QPainter painter(&grid);
        draw(painter);
    }
    addOutline(grid, kSquidOutline, false);
    return upscale(grid, scale, width, height);
}

} // namespace

QImage headSheet() {
    QList<QImage> frames;
    for (int frame = 0; frame < kHeadFrames; ++frame)
        frames << squidOnGrid(kHeadFrameWidth, kHeadFrameHeight, 2,
                              [frame](QPainter& p) { paintHeadFrame(p, frame); });
    return strip(frames, kHeadSheetWidth);
}

QImage headDead() {
    return squidOnGrid(kHeadDeadSize, kHeadDeadSize, 2, [](QPainter& p) {
        // Ink spilt under the wreck.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(kSquidOutline.red(), kSquidOutline.green(), kSquidOutline.blue(), 170));
        p.drawEllipse(QPointF(17, 33.5), 17, 2.5);
        // The split mantle: left half lying on its side, right half tipped over.
        p.save();
        p.translate(10, 26);
        p.rotate(-70);
        p.setClipRect(QRectF(-12, -20, 12, 30));
        paintSquid(p, 0.0, 0.0, Eyes::Crossed, false);
        p.restore();
        p.save();
        p.translate(24, 26);
        p.rotate(58);
        p.setClipRect(QRectF(0.5, -20, 12, 30));
        paintSquid(p, 0.0, 0.0, Eyes::Crossed, false);
        p.restore();
        // Limp tentacles strewn along the ground.
        p.setBrush(kSquidBody);
        for (int i = 0; i < 4; ++i) {
            const double x0 = 4 + i * 7.5;
            for (int s = 0; s < 6; ++s)
                p.drawEllipse(QPointF(x0 + s * 1.1, 32.5 - (s % 3 == 1 ? 1 : 0)), 1.1, 1.1);
        }
    });
}

QImage headBig() {
    return squidOnGrid(kHeadBigWidth, kHeadBigHeight, 3, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kSquidBody);
        // Limp tentacles sprawled on the ground; one still holds up a white flag.
        const QPointF ends[] = {{8, 97}, {28, 99}, {64, 99}, {84, 97}};
        for (int i = 0; i < 4; ++i) {
            const QPointF root(40 + i * 6, 76);
            tentacle(p, root, ends[i] - root, 4.0, i * 0.9, 3.8);
        }
        whiteFlag(p, QPointF(91, 98));
        p.setPen(Qt::NoPen);
        p.setBrush(kSquidBody);
        tentacle(p, QPointF(62, 74), QPointF(28, 6), 2.0, 0.4, 3.2);
        p.save();
        p.translate(50, 62);
        p.rotate(-18);
        p.scale(2.6, 2.6);
        paintSquid(p, 0.0, 0.0, Eyes::Crossed, false);
        // Plaster across the mantle.
        p.translate(3.0, -9.5);
        p.rotate(-30);
        p.setPen(QPen(kInkDark, 0.4));
        p.setBrush(kPaper);
        p.drawRect(QRectF(-4.0, -1.2, 8.0, 2.4));
        p.setBrush(kInkPale);
        p.drawRect(QRectF(-1.2, -1.2, 2.4, 2.4));
        p.restore();
        // Cracks in the shell, and stars circling the dazed head.
        crack(p, {{32, 26}, {31, 34}, {36, 39}, {34, 48}}, kPaper);
        crack(p, {{31, 34}, {25, 37}}, kPaper);
        crack(p, {{56, 42}, {59, 50}, {55, 57}}, kPaper);
        p.setPen(Qt::NoPen);
        star(p, QPointF(10, 24), 5);
        star(p, QPointF(70, 12), 4);
        star(p, QPointF(86, 28), 3);
    });
}

QImage mkFly() {
    return squidOnGrid(kFlySize, kFlySize, 3, [](QPainter& p) {
        p.translate(100, 92);
        wing(p, -1);
        wing(p, 1);
        // The body, and a red glare behind the eyes.
        p.save();
        p.scale(4.2, 4.2);
        paintSquid(p, 0.8, 3.2, Eyes::Open);
        p.restore();
        QRadialGradient glare(QPointF(0, 5), 30);
        glare.setColorAt(0.0, QColor(255, 60, 40, 90));
        glare.setColorAt(1.0, QColor(255, 60, 40, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glare);
        p.drawEllipse(QPointF(0, 5), 30, 14);
        // Fangs under the eyes.
        p.setBrush(kPaper);
        for (double x : {-5.0, 5.0})
            p.drawPolygon(QPolygonF({QPointF(x - 2, 18), QPointF(x + 2, 18), QPointF(x, 24)}));
    });
}

QImage ufo() {
    return pixelArt(kUfoWidth, kUfoHeight, 2, [](QPainter& p) { paintUfo(p, -1); });
}

QImage ufoDamagedSheet() {
    QList<QImage> frames;
    for (int frame = 0; frame < kUfoFrames; ++frame)
        frames << pixelArt(kUfoWidth, kUfoHeight, 2, [frame](QPainter& p) {
            paintUfo(p, frame);
            paintUfoDamage(p, frame);
        });
    return strip(frames, kUfoFrames * kUfoWidth);
}

QImage ball() {
    return pixelArt(kBallSize, kBallSize, 2, [](QPainter& p) {
        const QPointF c(19, 19);
        p.setPen(Qt::NoPen);
        QRadialGradient halo(c, 19);
        halo.setColorAt(0.6, QColor(200, 40, 110, 130));
        halo.setColorAt(1.0, QColor(200, 40, 110, 0));
        p.setBrush(halo);
        p.drawEllipse(c, 19, 19);
        p.setBrush(QColor(40, 12, 48));
        p.drawEllipse(c, 14, 14);
        QRadialGradient core(c, 13, QPointF(15, 14));
        core.setColorAt(0.0, QColor(255, 140, 170));
        core.setColorAt(0.25, QColor(220, 40, 90));
        core.setColorAt(0.7, QColor(110, 20, 100));
        core.setColorAt(1.0, QColor(60, 14, 70));
        p.setBrush(core);
        p.drawEllipse(c, 13, 13);
        // Energy curling round the orb.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 110, 150), 1));
        p.drawArc(QRectF(9, 9, 20, 20), 200 * 16, 100 * 16);
        p.drawArc(QRectF(11, 11, 16, 16), 20 * 16, 90 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 230, 240));
        p.drawRect(QRectF(13, 12, 2, 2));
        p.drawRect(QRectF(15, 11, 1, 1));
    });
}

} // namespace art
