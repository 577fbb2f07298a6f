#include <QPainter>
#include <QPointer>
#include <QTest>
#include <cmath>
#include <memory>

#include "environmentobject.h"
#include "environmentsystem.h"
#include "ground.h"
#include "paintrecorder.h"

namespace {
const QRect kScreen(0, 0, 1200, 800);
constexpr double kRight = 1199;    // QRect::right()
constexpr int kTicksPerState = 25; // 500 ms of 20 ms scene ticks

bool flat(const Ground* g) {
    return g->p1().y() == g->p2().y();
}
double length(const Ground* g) {
    return g->p2().x() - g->p1().x();
}

// The segments one updateState call appended: flats of 180 to under 300 px, or
// three-piece bumps that only ever follow a horizontal segment.
void checkNewSegments(const QList<Ground*>& added, const Ground* previous, double y, int& bumps) {
    for (int i = 0; i < added.size(); previous = added[i - 1]) {
        const Ground* a = added[i];
        QCOMPARE(a->p1().y(), y);
        if (length(a) >= 180.0) {
            QVERIFY(flat(a) && length(a) < 300.0);
            ++i;
            continue;
        }
        QVERIFY2(i + 2 < added.size(), "a bump comes as three segments");
        QVERIFY2(previous && flat(previous), "a bump only follows a horizontal segment");
        const Ground* c = added[i + 2];
        const double k = a->p2().y() - y;
        QVERIFY(k == std::floor(k) && k >= -10 && k <= 9);
        QVERIFY(flat(added[i + 1]) && added[i + 1]->p1().y() == y + k && c->p2().y() == y);
        const double width = c->p2().x() - a->p1().x();
        QVERIFY(width >= 30.0 && width < 50.0);
        // Both slopes run s = |(r + 0.5) k|, r recovered from the width.
        const double r = (width / 50.0 - 0.6) / 0.4;
        QVERIFY(qAbs(length(a) - qAbs((r + 0.5) * k)) < 1e-9 && qAbs(length(c) - length(a)) < 1e-9);
        i += 3;
        ++bumps;
    }
}

// One bookkeeping call at ground height y and the 25 movement steps that follow it.
void checkState(EnvironmentSystem& environment, double y, int& bumps) {
    const QList<Ground*> groundsBefore = environment.grounds();
    const QList<EnvironmentObject*> cloudsBefore = environment.clouds();
    const QPointer<Ground> front = groundsBefore.value(0);
    const QPointer<EnvironmentObject> frontCloud = cloudsBefore.value(0);
    const int groundGone = front && front->p2().x() < -100 ? 1 : 0;
    const int cloudGone = frontCloud && frontCloud->isOutOfScreen() ? 1 : 0;
    const bool cloudDue = cloudsBefore.isEmpty() || cloudsBefore.last()->pos().x() <= 0.8 * 1200;

    environment.updateState(y);
    const QList<Ground*>& grounds = environment.grounds();
    const QList<EnvironmentObject*>& clouds = environment.clouds();
    // At most one segment and one cloud go, the first, once due, and are deleted.
    QCOMPARE(grounds.mid(0, groundsBefore.size() - groundGone), groundsBefore.mid(groundGone));
    QCOMPARE(clouds.mid(0, cloudsBefore.size() - cloudGone), cloudsBefore.mid(cloudGone));
    QVERIFY((!groundGone || !front) && (!cloudGone || !frontCloud));
    const Ground* previous = groundsBefore.isEmpty() ? nullptr : groundsBefore.last();
    checkNewSegments(grounds.mid(groundsBefore.size() - groundGone), previous, y, bumps);
    for (int i = 1; i < grounds.size(); ++i)
        QCOMPARE(grounds[i]->p1(), grounds[i - 1]->p2());
    // A fresh environment starts at the right edge; building stops once the
    // ground reaches beyond the right edge + 300, and not before.
    if (groundsBefore.isEmpty())
        QCOMPARE(grounds.first()->p1(), QPointF(kRight, y));
    QVERIFY(grounds.last()->p2().x() > kRight + 300);
    const qsizetype lastGroup = length(grounds.last()) >= 180.0 ? 1 : 3;
    if (grounds.size() > lastGroup)
        QVERIFY(grounds[grounds.size() - lastGroup - 1]->p2().x() <= kRight + 300);

    // A cloud is born beyond the right edge, in a band of the first segment's height.
    QCOMPARE(clouds.size() - cloudsBefore.size() + cloudGone, qsizetype(cloudDue));
    const QPointF born = clouds.last()->pos();
    const double gy = grounds.first()->p2().y();
    QVERIFY(!cloudDue || (born.y() >= 0.15 * gy && born.y() < 0.55 * gy));
    QVERIFY(!cloudDue || (born.x() >= 1200 && born.x() < 1.2 * 1200));

    const QLineF line = grounds.first()->line();
    const QPointF cloud = clouds.first()->pos();
    for (int tick = 0; tick < kTicksPerState; ++tick)
        environment.updateMovement();
    const double moved = kTicksPerState * environment.speed();
    QCOMPARE(grounds.first()->line(), line.translated(-moved, 0.0));
    QCOMPARE(clouds.first()->pos(), cloud - QPointF(moved, 0.0));
    // A cloud is out once its right edge is left of 0.
    for (const EnvironmentObject* c : clouds)
        QCOMPARE(c->isOutOfScreen(), c->pos().x() + 191 < 0);
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
            for (const QPointer<Ground>& g : left)
                QVERIFY(g.isNull());
        }
        QVERIFY(bumps > 0);
    }

    void cloudWithRightEdgeAtZeroStays() {
        EnvironmentSystem environment(kScreen, 8.0);
        environment.updateState(400.0);
        EnvironmentObject* cloud = environment.clouds().first();
        cloud->setPos(QPointF(-183, 10)); // 191 px wide
        environment.updateMovement();
        QVERIFY(!cloud->isOutOfScreen());
        environment.updateMovement();
        QVERIFY(cloud->isOutOfScreen());
    }

    void painting() {
        EnvironmentSystem environment(kScreen, 8.0);
        int bumps = 0;
        for (int state = 0; state < 10; ++state)
            checkState(environment, 400.0, bumps);
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

        // The end picture: veil, picture and text fade in by 2 alpha per painted
        // frame; the picture grows from the corner where it ends up centred.
        for (int paint = 1; paint <= 130; ++paint) {
            device.calls().clear();
            environment.paintEnd(painter);
            const int alpha = qMin(2 * paint, 255);
            QCOMPARE(environment.endColor(), QColor(240, 240, 240, alpha));
            const PaintCall veil = device.callsOf(PaintCall::Rect).value(0);
            QVERIFY(veil.rect == QRectF(kScreen) && veil.pen.style() == Qt::NoPen);
            QCOMPARE(veil.brush.color(), environment.endColor());
            const PaintCall image = device.callsOf(PaintCall::Pixmap).value(0);
            QCOMPARE(image.rect.topLeft(), QPointF(600 - 309 / 2, 400 - 304 / 2));
            const QSize target(int(309 * (alpha / 255.0)), int(304 * (alpha / 255.0)));
            QCOMPARE(image.pixmapSize, QSize(309, 304).scaled(target, Qt::KeepAspectRatio));
            const PaintCall text = device.callsOf(PaintCall::Text).value(0);
            QVERIFY(text.pen.color() == QColor(40, 40, 40, alpha) &&
                    text.font == QFont("Arial", 25));
        }
        environment.resetEnd();
        environment.paintEnd(painter);
        QCOMPARE(environment.endColor(), QColor(240, 240, 240, 2));
    }
};

QTEST_MAIN(TestEnvironment)
#include "tst_environment.moc"
