#include <QPainter>
#include <QPointer>
#include <QTest>
#include <cmath>

#include "environmentobject.h"
#include "environmentsystem.h"
#include "ground.h"
#include "paintrecorder.h"

namespace {
const QRect kScreen(0, 0, 1200, 800);
constexpr double kGroundY = 0.618 * 800;
constexpr int kRight = 1199; // QRect::right()
constexpr double kCoveredBeyond = kRight + 300;
constexpr int kTicksPerState = 25; // 500 ms of 20 ms scene ticks
constexpr double kFlatMin = 180.0;

bool isHorizontal(const Ground* g) {
    return g->p1().y() == g->p2().y();
}
double length(const Ground* g) {
    return g->p2().x() - g->p1().x();
}

void playState(EnvironmentSystem& environment, double groundY = kGroundY) {
    environment.updateState(groundY);
    for (int tick = 0; tick < kTicksPerState; ++tick)
        environment.updateMovement();
}

// Checks one batch of segments appended by a single updateState call: whole
// flats and whole three-piece bumps, each bump only after a horizontal segment.
void checkNewSegments(const QList<Ground*>& added, const Ground* previous, double groundY,
                      int& bumps) {
    for (int i = 0; i < added.size();) {
        const Ground* a = added[i];
        QCOMPARE(a->p1().y(), groundY);
        if (length(a) >= kFlatMin) {
            QVERIFY(isHorizontal(a));
            QVERIFY(length(a) < 300.0);
            previous = a;
            ++i;
            continue;
        }
        // A bump: A rises or falls by k, B is flat at y + k, C returns to y.
        QVERIFY2(i + 2 < added.size(), "a bump always comes as three segments");
        QVERIFY2(previous && isHorizontal(previous), "bumps only follow a horizontal segment");
        const Ground* b = added[i + 1];
        const Ground* c = added[i + 2];
        const double k = a->p2().y() - groundY;
        QCOMPARE(k, std::floor(k));
        QVERIFY(k >= -10 && k <= 9);
        QVERIFY(isHorizontal(b));
        QCOMPARE(b->p1().y(), groundY + k);
        QCOMPARE(c->p2().y(), groundY);
        const double width = c->p2().x() - a->p1().x();
        QVERIFY(width >= 30.0 && width < 50.0);
        // Both slopes have the same run s = |(r + 0.5) k|, r recovered from the width.
        const double r = (width / 50.0 - 0.6) / 0.4;
        QVERIFY(qAbs(length(a) - qAbs((r + 0.5) * k)) < 1e-9);
        QVERIFY(qAbs(length(c) - length(a)) < 1e-9);
        previous = c;
        i += 3;
        ++bumps;
    }
}

// Segments join end to start, and the segment built last started where the
// ground had not yet reached far enough.
void checkJoinedAndCovered(const QList<Ground*>& grounds) {
    for (int i = 1; i < grounds.size(); ++i)
        QCOMPARE(grounds[i]->p1(), grounds[i - 1]->p2());
    const Ground* last = grounds.last();
    QVERIFY(last->p2().x() > kCoveredBeyond);
    const int groupSize = length(last) >= kFlatMin ? 1 : 3;
    if (grounds.size() > groupSize)
        QVERIFY(grounds[grounds.size() - groupSize - 1]->p2().x() <= kCoveredBeyond);
    else
        QCOMPARE(grounds.first()->p1().x(), double(kRight));
}
} // namespace

class TestEnvironment : public QObject {
    Q_OBJECT

private slots:
    void groundAndCloudsOverManyRuns();
    void removedObjectsAreDeleted();
    void speedChangesPropagate();
    void cloudLeavesScreen();
    void endPictureFadesIn();
    void paintEnvironmentDrawsLinesThenClouds();
};

void TestEnvironment::groundAndCloudsOverManyRuns() {
    int bumps = 0;
    for (int run = 0; run < 40; ++run) {
        const double groundY = run % 2 ? kGroundY : 400.0;
        EnvironmentSystem environment(kScreen, 8.0 + run % 3);
        for (int state = 0; state < 60; ++state) {
            if (state == 30) // what is built from now on takes the new speed
                environment.setSpeed(12.0);
            const QList<Ground*> oldGrounds = environment.grounds();
            const QList<EnvironmentObject*> oldClouds = environment.clouds();
            const bool groundDue = !oldGrounds.isEmpty() && oldGrounds.first()->p2().x() < -100;
            const bool cloudGone = !oldClouds.isEmpty() && oldClouds.first()->isOutOfScreen();
            const bool cloudDue = oldClouds.isEmpty() || oldClouds.last()->pos().x() <= 0.8 * 1200;

            environment.updateState(groundY);
            const QList<Ground*> grounds = environment.grounds();
            const QList<EnvironmentObject*> clouds = environment.clouds();

            // At most one segment and one cloud leave, and only the first, once due.
            const int groundsGone = groundDue ? 1 : 0;
            QCOMPARE(grounds.mid(0, oldGrounds.size() - groundsGone), oldGrounds.mid(groundsGone));
            const int cloudsGone = cloudGone ? 1 : 0;
            QCOMPARE(clouds.mid(0, oldClouds.size() - cloudsGone), oldClouds.mid(cloudsGone));

            checkNewSegments(grounds.mid(oldGrounds.size() - groundsGone),
                             oldGrounds.isEmpty() ? nullptr : oldGrounds.last(), groundY, bumps);
            checkJoinedAndCovered(grounds);
            QCOMPARE(grounds.last()->speed(), environment.speed());
            // A fresh environment shows no ground until segments scroll in.
            if (oldGrounds.isEmpty())
                QCOMPARE(grounds.first()->p1(), QPointF(kRight, groundY));

            const int newClouds = int(clouds.size()) - int(oldClouds.size()) + cloudsGone;
            QCOMPARE(newClouds, cloudDue ? 1 : 0);
            if (newClouds) {
                const QPointF pos = clouds.last()->pos();
                const double gy = grounds.first()->p2().y();
                QVERIFY(pos.y() >= 0.15 * gy && pos.y() < 0.55 * gy);
                QVERIFY(pos.x() >= 1200 && pos.x() < 1.2 * 1200);
                QCOMPARE(clouds.last()->speed(), environment.speed());
            }
            for (int tick = 0; tick < kTicksPerState; ++tick)
                environment.updateMovement();
        }
    }
    QVERIFY(bumps > 0);
}

// Whatever leaves a list is deleted at once (bump slopes have no parent), and
// the rest goes with the environment.
void TestEnvironment::removedObjectsAreDeleted() {
    QList<QPointer<QObject>> seen;
    {
        EnvironmentSystem environment(kScreen, 8.0);
        for (int state = 0; state < 300; ++state) {
            playState(environment);
            QList<QObject*> listed(environment.grounds().cbegin(), environment.grounds().cend());
            listed.append(
                QList<QObject*>(environment.clouds().cbegin(), environment.clouds().cend()));
            for (QObject* object : listed) {
                if (!seen.contains(object))
                    seen.append(object);
            }
            for (const QPointer<QObject>& object : qAsConst(seen))
                QCOMPARE(object.isNull(), !listed.contains(object.data()));
        }
    }
    for (const QPointer<QObject>& object : qAsConst(seen))
        QVERIFY(object.isNull());
}

void TestEnvironment::speedChangesPropagate() {
    EnvironmentSystem environment(kScreen, 8.0);
    environment.updateState(kGroundY);
    environment.setSpeed(16.0);
    QList<QLineF> lines;
    for (const Ground* g : environment.grounds())
        lines.append(g->line());
    const QPointF cloud = environment.clouds().first()->pos();

    environment.updateMovement();
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(environment.grounds()[i]->line(), lines[i].translated(-16.0, 0.0));
    QCOMPARE(environment.clouds().first()->pos(), cloud - QPointF(16.0, 0.0));
}

void TestEnvironment::cloudLeavesScreen() {
    // The cloud picture is 191 px wide: its right edge goes from 8 to exactly
    // 0 (still on screen) to -8 (gone).
    EnvironmentSystem environment(kScreen, 8.0);
    environment.updateState(kGroundY);
    QPointer<EnvironmentObject> first = environment.clouds().first();
    QCOMPARE(first->image().size(), QSize(191, 55));
    first->setPos(QPointF(-175, 10));
    for (int step = 0; step < 2; ++step) {
        environment.updateMovement();
        environment.updateState(kGroundY);
        QVERIFY(!first->isOutOfScreen());
        QCOMPARE(environment.clouds().first(), first.data());
    }
    environment.updateMovement();
    QVERIFY(first->isOutOfScreen());
    first->setPos(QPointF(500, 10));
    environment.updateMovement();
    QVERIFY(first->isOutOfScreen()); // for good
    // The environment drops it on its next bookkeeping call, and only then.
    environment.updateState(kGroundY);
    QVERIFY(first.isNull());
}

// The veil, the growing picture and the text fade in by 2 alpha per painted
// frame; the picture's corner stays where the full-size picture is centred.
void TestEnvironment::endPictureFadesIn() {
    EnvironmentSystem environment(kScreen, 8.0);
    RecordingPaintDevice device(kScreen.size());
    QPainter painter(&device);
    for (int paint = 1; paint <= 130; ++paint) {
        device.calls().clear();
        environment.paintEnd(painter);
        const int alpha = qMin(2 * paint, 255);
        QCOMPARE(environment.endColor(), QColor(240, 240, 240, alpha));
        const PaintCall veil = device.callsOf(PaintCall::Rect).value(0);
        QCOMPARE(veil.rect, QRectF(kScreen));
        QCOMPARE(veil.pen.style(), Qt::NoPen);
        QCOMPARE(veil.brush.color(), QColor(240, 240, 240, alpha));
        const PaintCall image = device.callsOf(PaintCall::Pixmap).value(0);
        QCOMPARE(image.rect.topLeft(), QPointF(600 - 309 / 2, 400 - 304 / 2));
        const QSize target(int(309 * (alpha / 255.0)), int(304 * (alpha / 255.0)));
        QCOMPARE(image.pixmapSize, QSize(309, 304).scaled(target, Qt::KeepAspectRatio));
        const PaintCall text = device.callsOf(PaintCall::Text).value(0);
        QCOMPARE(text.pen.color(), QColor(40, 40, 40, alpha));
        QCOMPARE(text.font, QFont("Arial", 25));
    }
    QCOMPARE(device.callsOf(PaintCall::Pixmap)[0].pixmapSize, QSize(309, 304));

    environment.resetEnd();
    QCOMPARE(environment.endColor(), QColor(240, 240, 240, 0));
    device.calls().clear();
    environment.paintEnd(painter);
    QCOMPARE(device.callsOf(PaintCall::Pixmap)[0].pixmapSize, QSize(2, 2));
}

void TestEnvironment::paintEnvironmentDrawsLinesThenClouds() {
    EnvironmentSystem environment(kScreen, 8.0);
    for (int state = 0; state < 10; ++state)
        playState(environment);
    RecordingPaintDevice device(kScreen.size());
    QPainter painter(&device);
    const QPen groundPen(QColor(128, 128, 128), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    painter.setPen(groundPen);
    environment.paintEnvironment(painter);

    const QList<PaintCall> calls = device.calls();
    const QList<Ground*>& grounds = environment.grounds();
    const QList<EnvironmentObject*>& clouds = environment.clouds();
    QCOMPARE(calls.size(), grounds.size() + clouds.size());
    for (qsizetype i = 0; i < calls.size(); ++i) {
        if (i < grounds.size()) {
            QCOMPARE(calls[i].kind, PaintCall::Line);
            QCOMPARE(calls[i].line, grounds[i]->line());
            QCOMPARE(calls[i].pen, groundPen);
        } else {
            QCOMPARE(calls[i].kind, PaintCall::Pixmap);
            QCOMPARE(calls[i].rect, QRectF(clouds[i - grounds.size()]->pos(), QSizeF(191, 55)));
        }
    }
}

QTEST_MAIN(TestEnvironment)
#include "tst_environment.moc"
