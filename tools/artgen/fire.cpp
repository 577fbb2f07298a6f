// Explosions and the floating gun.
#include "art.h"

#include <QRadialGradient>
#include <QtMath>

#include <random>

namespace art {

namespace {

constexpr int kExplosionFrames = 5;
constexpr int kGunFrames = 4;
constexpr int kGunSize = 43;

QColor withAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

// A ragged ball of fire: a disc with bumps round its edge.
void blob(QPainter& p, QPointF c, double r, const QColor& colour, std::mt19937& rng, int bumps) {
    std::uniform_real_distribution<double> jitter(0.75, 1.1);
    p.setBrush(colour);
    p.drawEllipse(c, r, r);
    for (int i = 0; i < bumps; ++i) {
        const double a = 2 * M_PI * i / bumps + jitter(rng) * 0.3;
        const double d = r * jitter(rng) * 0.85;
        p.drawEllipse(c + QPointF(qCos(a) * d, qSin(a) * d), r * 0.32, r * 0.32);
    }
}

// Flying chips of debris and sparks.
void debris(QPainter& p, QPointF c, double reach, int count, const QColor& colour,
            std::mt19937& rng) {
    std::uniform_real_distribution<double> angle(0, 2 * M_PI);
    std::uniform_real_distribution<double> spread(0.8, 1.15);
    for (int i = 0; i < count; ++i) {
        const double a = angle(rng);
        const double d = reach * spread(rng);
        const QPointF at = c + QPointF(qCos(a) * d, qSin(a) * d);
        p.fillRect(QRectF(qFloor(at.x()), qFloor(at.y()), 1 + i % 2, 1 + (i / 2) % 2), colour);
    }
}

// One frame in grid units; `g` is the grid's side, every size scales with it.
void paintExplosion(QPainter& p, int g, int frame) {
    std::mt19937 rng(1234u + frame * 77u + g);
    const QPointF c(g / 2.0 - 0.5, g / 2.0 - 0.5);
    const double u = g / 60.0;
    p.setPen(Qt::NoPen);
    switch (frame) {
    case 0: {
        // The flash.
        p.setPen(QPen(kFlameYellow, qMax(1.0, u)));
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4 + M_PI / 8;
            p.drawLine(c + QPointF(qCos(a), qSin(a)) * 8 * u,
                       c + QPointF(qCos(a), qSin(a)) * (i % 2 ? 14 : 18) * u);
        }
        p.setPen(Qt::NoPen);
        blob(p, c, 9 * u, kFlameOrange, rng, 6);
        blob(p, c, 6.5 * u, kFlameYellow, rng, 5);
        p.setBrush(kFlameWhite);
        p.drawEllipse(c, 4 * u, 4 * u);
        break;
    }
    case 1:
        blob(p, c, 16 * u, kFlameRed, rng, 9);
        blob(p, c, 13 * u, kFlameOrange, rng, 8);
        blob(p, c, 9 * u, kFlameYellow, rng, 6);
        p.setBrush(kFlameWhite);
        p.drawEllipse(c, 5 * u, 5 * u);
        debris(p, c, 21 * u, 10, kInkDark, rng);
        debris(p, c, 19 * u, 8, kFlameYellow, rng);
        break;
    case 2:
        blob(p, c, 22 * u, withAlpha(kSmoke, 235), rng, 11);
        blob(p, c, 20 * u, kFlameRed, rng, 10);
        blob(p, c, 15 * u, kFlameOrange, rng, 9);
        blob(p, c, 9 * u, kFlameYellow, rng, 6);
        debris(p, c, 27 * u, 12, kInkDark, rng);
        debris(p, c, 24 * u, 8, kFlameOrange, rng);
        break;
    case 3:
        blob(p, c, 24 * u, withAlpha(kSmoke, 190), rng, 12);
        blob(p, c, 18 * u, withAlpha(QColor(130, 120, 118), 190), rng, 10);
        blob(p, c, 11 * u, withAlpha(kFlameRed, 200), rng, 7);
        blob(p, c, 6 * u, withAlpha(kFlameOrange, 210), rng, 5);
        debris(p, c, 28 * u, 8, withAlpha(kInkDark, 200), rng);
        break;
    default: {
        // Smoke thinning out into separate puffs.
        std::uniform_real_distribution<double> angle(0, 2 * M_PI);
        std::uniform_real_distribution<double> dist(10 * u, 22 * u);
        for (int i = 0; i < 9; ++i) {
            const double a = angle(rng);
            const double d = dist(rng);
            const QPointF at = c + QPointF(qCos(a) * d, qSin(a) * d);
            p.setBrush(withAlpha(QColor(150, 150, 152), 120));
            p.drawEllipse(at, 5 * u, 5 * u);
            p.setBrush(withAlpha(QColor(190, 190, 190), 110));
            p.drawEllipse(at + QPointF(-u, -u), 2.5 * u, 2.5 * u);
        }
        debris(p, c, 6 * u, 4, withAlpha(kFlameOrange, 170), rng);
        debris(p, c, 29 * u, 5, withAlpha(kInkDark, 130), rng);
        break;
    }
    }
}

struct GunLook {
    QColor outline;
    QColor body;
    QColor light;
    QColor lens;
    QColor flame;
    bool glow;
};

void boxWithRim(QPainter& p, const QRect& r, const GunLook& look) {
    p.fillRect(r, look.outline);
    p.fillRect(r.adjusted(1, 1, -1, -1), look.body);
}

// The drone on a 22 x 22 grid (one pixel row is lost at the top when cut).
void paintGun(QPainter& p, int frame, const GunLook& look) {
    if (look.glow) {
        const int alpha = 70 + 40 * (frame == 1 || frame == 2) + 30 * (frame == 2);
        QRadialGradient halo(QPointF(11, 12), 11);
        halo.setColorAt(0.0, withAlpha(look.lens, alpha));
        halo.setColorAt(0.7, withAlpha(look.lens, alpha / 2));
        halo.setColorAt(1.0, withAlpha(look.lens, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(QPointF(11, 12), 11, 11);
    }
    // Rotor: the blade looks shorter as it turns edge-on.
    const int blade[kGunFrames] = {8, 5, 2, 5};
    const int half = blade[frame];
    p.fillRect(QRect(10 - half, 4, 2 * half + 2, 1), frame % 2 ? look.light : look.outline);
    p.fillRect(QRect(9, 5, 4, 1), look.outline);
    p.fillRect(QRect(10, 6, 2, 3), look.outline);
    // Tail fin and hull.
    p.fillRect(QRect(3, 8, 3, 2), look.outline);
    p.fillRect(QRect(4, 10, 2, 2), look.outline);
    boxWithRim(p, QRect(5, 9, 12, 7), look);
    p.fillRect(QRect(6, 10, 6, 1), look.light);
    p.fillRect(QRect(6, 15, 10, 1), look.outline);
    // Barrel with a muzzle ring.
    boxWithRim(p, QRect(16, 11, 4, 3), look);
    p.fillRect(QRect(20, 10, 1, 5), look.outline);
    // Lens.
    p.fillRect(QRect(12, 10, 3, 3), look.outline);
    p.fillRect(QRect(13, 11, 1, 1), look.lens);
    // Hover jet, pulsing.
    p.fillRect(QRect(8, 16, 5, 1), look.outline);
    const int jet[kGunFrames] = {2, 3, 4, 3};
    p.fillRect(QRect(9, 17, 3, jet[frame]), withAlpha(look.flame, 200));
    p.fillRect(QRect(10, 17, 1, jet[frame] + 1), look.flame);
}

} // namespace

QImage explosionSheet(int frameSize, int scale) {
    QList<QImage> frames;
    for (int frame = 0; frame < kExplosionFrames; ++frame)
        frames << pixelArt(frameSize, frameSize, scale, [frame, frameSize, scale](QPainter& p) {
            paintExplosion(p, frameSize / scale, frame);
        });
    return strip(frames, kExplosionFrames * frameSize);
}

QImage gunSheet(bool coloured) {
    const GunLook plain{kInkDark, kInk, kInkSoft, kPaper, kInkPale, false};
    const GunLook golden{kGoldDark, kGold, kGoldLight, kGlowGreen, kGlowGreen, true};
    const GunLook& look = coloured ? golden : plain;
    QList<QImage> frames;
    for (int frame = 0; frame < kGunFrames; ++frame)
        frames << pixelArt(kGunSize, kGunSize, 2,
                           [frame, &look](QPainter& p) { paintGun(p, frame, look); });
    return strip(frames, kGunFrames * kGunSize);
}

} // namespace art
