#include "environmentobject.h"
#include "ground.h"
#include "testsupport.h"

#include <cmath>
#include <memory>

namespace {
const QRect kScreen(0, 0, 1200, 800);
constexpr double kRight = 1199; // QRect::right()

double length(const Ground* g) {
    return g->p2().x() - g->p1().x();
}

// Segments one updateState appended at ground y: flats of [180, 300) px, or
// three-piece bumps k px high that only follow a flat.
void checkNewSegments(const QList<Ground*>& added, const Ground* previous, double y, int& bumps) {
    for (int i = 0; i < added.size(); previous = added[i - 1]) {
        const Ground* a = added[i];
        QCOMPARE(a->p1().y(), y);
        if (length(a) >= 180.0) {
            QVERIFY(a->p2().y() == y && length(a) < 300.0);
            ++i;
            continue;
        }
        QVERIFY2(i + 2 < added.size() && previous && previous->p2().y() == previous->p1().y(),
                 "a bump comes as three segments after a flat one");
        const Ground* c = added[i + 2];
        const double k = a->p2().y() - y;
        QVERIFY(k == std::floor(k) && k >= -10 && k <= 9 && c->p2().y() == y);
        QVERIFY(added[i + 1]->p1().y() == y + k && added[i + 1]->p2().y() == y + k);
        // 30 to 50 wide; both slopes run |(r + 0.5) k|, r recovered from the width.
        const double width = c->p2().x() - a->p1().x();
        const double r = (width / 50.0 - 0.6) / 0.4;
        QVERIFY(r >= 0.0 && r < 1.0 && qAbs(length(a) - qAbs((r + 0.5) * k)) < 1e-9);
        QVERIFY(qAbs(length(c) - length(a)) < 1e-9);
        i += 3;
        ++bumps;
    }
}

// One bookkeeping call at ground height y and the 25 movement steps (500 ms) that follow.
void checkState(EnvironmentSystem& environment, double y, int& bumps) {
    const QList<Ground*> grounds = environment.grounds();
    const QList<EnvironmentObject*> clouds = environment.clouds();
    const QPointer<Ground> front = grounds.value(0);
    const QPointer<EnvironmentObject> frontCloud = clouds.value(0);
    const int groundGone = front && front->p2().x() < -100 ? 1 : 0;
    const int cloudGone = frontCloud && frontCloud->isOutOfScreen() ? 1 : 0;
    const bool cloudDue = clouds.isEmpty() || clouds.last()->pos().x() <= 0.8 * 1200;
    environment.updateState(y);
    const QList<Ground*>& now = environment.grounds();
    // At most one segment and one cloud go, the first, once due, and are deleted.
    QCOMPARE(now.mid(0, grounds.size() - groundGone), grounds.mid(groundGone));
    QCOMPARE(environment.clouds().mid(0, clouds.size() - cloudGone), clouds.mid(cloudGone));
    QVERIFY((!groundGone || !front) && (!cloudGone || !frontCloud));
    checkNewSegments(now.mid(grounds.size() - groundGone), grounds.value(grounds.size() - 1), y,
                     bumps);
    for (int i = 1; i < now.size(); ++i)
        QCOMPARE(now[i]->p1(), now[i - 1]->p2());
    // Built from the right edge until the ground reaches beyond it + 300, and not before.
    QVERIFY(!grounds.isEmpty() || now.first()->p1() == QPointF(kRight, y));
    QVERIFY(now.last()->p2().x() > kRight + 300);
    const qsizetype lastGroup = length(now.last()) >= 180.0 ? 1 : 3;
    QVERIFY(now.size() <= lastGroup || now[now.size() - lastGroup - 1]->p2().x() <= kRight + 300);
    // A cloud is born beyond the right edge, in a band of the first segment's height.
    QCOMPARE(environment.clouds().size() - clouds.size() + cloudGone, qsizetype(cloudDue));
    const QPointF born = environment.clouds().last()->pos();
    const double gy = now.first()->p2().y();
    QVERIFY(!cloudDue || QRectF(1200, 0.15 * gy, 0.2 * 1200, 0.4 * gy).contains(born));

    const QLineF line = now.first()->line();
    const QPointF cloud = environment.clouds().first()->pos();
    for (int tick = 0; tick < 25; ++tick)
        environment.updateMovement();
    const double moved = 25 * environment.speed();
    QCOMPARE(now.first()->line(), line.translated(-moved, 0.0));
    QCOMPARE(environment.clouds().first()->pos(), cloud - QPointF(moved, 0.0));
}
} // namespace

class TestEnvironment : public QObject {
    Q_OBJECT

private slots:
    void groundAndCloudsOverManyRuns() {
        int bumps = 0;
        for (int run = 0; run < 40; ++run) {
            auto environment = std::make_unique<EnvironmentSystem>(kScreen, 8.0 + run % 3);
            for (int state = 0; state < 60 && !QTest::currentTestFailed(); ++state) {
                if (state == 30) // a new speed reaches what is already on screen
                    environment->setSpeed(12.0);
                checkState(*environment, run % 2 ? 0.618 * 800 : 400.0, bumps);
            }
            // Bump slopes have no parent: the environment still takes everything with it.
            const QList<QPointer<Ground>> left(environment->grounds().cbegin(),
                                               environment->grounds().cend());
            environment.reset();
            QCOMPARE(left.count(QPointer<Ground>()), left.size());
        }
        QVERIFY(bumps > 0);
    }

    // Due once the newest is no farther right than 80 %; out once its right edge is left of 0.
    void cloudEdgesAndPainting() {
        EnvironmentSystem environment(kScreen, 8.0);
        environment.updateState(400.0);
        for (const auto& [x, born] : {std::pair{960.5, 0}, {960.0, 1}}) {
            environment.clouds().last()->setPos(QPointF(x, 10));
            const qsizetype before = environment.clouds().size();
            environment.updateState(400.0);
            QCOMPARE(environment.clouds().size() - before, born);
        }
        EnvironmentObject* cloud = environment.clouds().first();
        cloud->setPos(QPointF(-183, 10));
        environment.updateMovement();
        QVERIFY(!cloud->isOutOfScreen());
        environment.updateMovement();
        QVERIFY(cloud->isOutOfScreen());

        RecordingPaintDevice device(kScreen.size());
        QPainter painter(&device);
        // Segments with the caller's pen, then the clouds.
        const QPen pen(Qt::red, 3.0);
        painter.setPen(pen);
        environment.paintEnvironment(painter);
        const QList<PaintCall>& calls = device.calls();
        QCOMPARE(calls.size(), environment.grounds().size() + environment.clouds().size());
        QVERIFY(calls.first().line == environment.grounds().first()->line() &&
                calls.first().pen == pen);
        QCOMPARE(calls.last().rect, QRectF(environment.clouds().last()->pos(), QSizeF(191, 55)));

        // The end picture fades in; it grows from the corner where it ends up centred.
        for (int paint = 1; paint <= 130; ++paint) {
            device.calls().clear();
            environment.advanceEnd();
            environment.paintEnd(painter);
            const int alpha = qMin(2 * paint, 255);
            const PaintCall veil = device.callsOf(PaintCall::Rect).value(0);
            QVERIFY(veil.rect == QRectF(kScreen) && veil.pen.style() == Qt::NoPen);
            QCOMPARE(veil.brush.color(), QColor(240, 240, 240, alpha));
            const PaintCall image = device.callsOf(PaintCall::Pixmap).value(0);
            QCOMPARE(image.rect.topLeft(), QPointF(600 - 309 / 2, 400 - 304 / 2));
            const QSize target(int(309 * (alpha / 255.0)), int(304 * (alpha / 255.0)));
            QCOMPARE(image.pixmapSize, QSize(309, 304).scaled(target, Qt::KeepAspectRatio));
            const PaintCall text = device.callsOf(PaintCall::Text).value(0);
            QVERIFY(text.pen.color() == QColor(40, 40, 40, alpha) &&
                    text.font == QFont("Arial", 25));
        }
        environment.resetEnd();
        environment.advanceEnd();
        QCOMPARE(environment.endColor(), QColor(240, 240, 240, 2));
    }
};

QTEST_MAIN(TestEnvironment)
#include "tst_environment.moc"
