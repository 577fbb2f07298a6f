#include <QPainter>
#include <QPointer>
#include <QTest>
#include <algorithm>
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

// Checks one batch of segments appended by a single updateState call: whole
// flats and whole three-piece bumps, each bump only after a horizontal segment.
void checkNewSegments(const QList<Ground*>& added, const Ground* before, double groundY) {
    const Ground* previous = before;
    int i = 0;
    while (i < added.size()) {
        const Ground* g = added[i];
        QCOMPARE(g->p1().y(), groundY);
        if (length(g) >= kFlatMin) {
            QVERIFY(isHorizontal(g));
            QVERIFY(length(g) < 300.0);
            previous = g;
            ++i;
            continue;
        }
        // A bump: A rises or falls by k, B is flat at y + k, C returns to y.
        QVERIFY2(i + 2 < added.size(), "a bump always comes as three segments");
        QVERIFY2(previous && isHorizontal(previous), "bumps only follow a horizontal segment");
        const Ground* a = added[i];
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
    }
}

void checkJoined(const QList<Ground*>& grounds) {
    for (int i = 1; i < grounds.size(); ++i)
        QCOMPARE(grounds[i]->p1(), grounds[i - 1]->p2());
}

// The segment built last started where the ground had not yet reached far enough.
void checkTestedBeforeBuilding(const QList<Ground*>& grounds) {
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
    void freshEnvironmentStartsAtTheRightEdge();
    void noBuildingWhileCovered();
    void groundAndCloudsOverManyRuns();
    void groundConstructorBumpsOnlyAfterFlat();
    void removalDeletesParentlessCompanions();
    void destructorDeletesEverySegment();
    void speedChangesPropagate();
    void cloudLeavesScreen();
    void endPictureFadesIn();
    void resetEndStartsOver();
    void whiteBackground();
    void paintEnvironmentDrawsLinesThenClouds();
};

void TestEnvironment::freshEnvironmentStartsAtTheRightEdge() {
    EnvironmentSystem environment(kScreen, 8.0);
    QVERIFY(environment.grounds().isEmpty());
    QVERIFY(environment.clouds().isEmpty());
    QCOMPARE(environment.endColor(), QColor(240, 240, 240, 0));
    environment.updateMovement();

    environment.updateState(kGroundY);
    const QList<Ground*> grounds = environment.grounds();
    QVERIFY(!grounds.isEmpty());
    QCOMPARE(grounds.first()->p1(), QPointF(kRight, kGroundY));
    checkJoined(grounds);
    checkTestedBeforeBuilding(grounds);
    for (const Ground* g : grounds) {
        QCOMPARE(g->speed(), 8.0);
        QCOMPARE(g->parent() == &environment || g->parent() == nullptr, true);
    }
    QCOMPARE(environment.clouds().size(), 1);
}

void TestEnvironment::noBuildingWhileCovered() {
    EnvironmentSystem environment(kScreen, 8.0);
    environment.updateState(kGroundY);
    const QList<Ground*> before = environment.grounds();
    environment.updateState(kGroundY);
    QCOMPARE(environment.grounds(), before);
}

void TestEnvironment::groundAndCloudsOverManyRuns() {
    for (int run = 0; run < 40; ++run) {
        const double groundY = run % 2 ? kGroundY : 400.0;
        EnvironmentSystem environment(kScreen, 8.0 + run % 3);
        for (int state = 0; state < 60; ++state) {
            const QList<Ground*> oldGrounds = environment.grounds();
            const QList<EnvironmentObject*> oldClouds = environment.clouds();
            const bool groundDue = !oldGrounds.isEmpty() && oldGrounds.first()->p2().x() < -100;
            const bool cloudGone = !oldClouds.isEmpty() && oldClouds.first()->isOutOfScreen();
            const bool cloudDue = oldClouds.isEmpty() || oldClouds.last()->pos().x() <= 0.8 * 1200;

            environment.updateState(groundY);
            const QList<Ground*> grounds = environment.grounds();
            const QList<EnvironmentObject*> clouds = environment.clouds();

            // At most one segment and one cloud leave, and only the first, once due.
            const int groundsKept = groundDue ? 1 : 0;
            QCOMPARE(grounds.mid(0, oldGrounds.size() - groundsKept), oldGrounds.mid(groundsKept));
            const int cloudsKept = cloudGone ? 1 : 0;
            QCOMPARE(clouds.mid(0, oldClouds.size() - cloudsKept), oldClouds.mid(cloudsKept));

            const QList<Ground*> added = grounds.mid(oldGrounds.size() - groundsKept);
            checkNewSegments(added, oldGrounds.isEmpty() ? nullptr : oldGrounds.last(), groundY);
            checkJoined(grounds);
            checkTestedBeforeBuilding(grounds);

            const int newClouds = int(clouds.size()) - int(oldClouds.size()) + cloudsKept;
            QCOMPARE(newClouds, cloudDue ? 1 : 0);
            if (newClouds) {
                const QPointF pos = clouds.last()->pos();
                const double gy = grounds.first()->p2().y();
                QVERIFY(pos.y() >= 0.15 * gy && pos.y() < 0.55 * gy);
                QVERIFY(pos.x() >= 1200 && pos.x() < 1.2 * 1200);
                QCOMPARE(clouds.last()->speed(), environment.speed());
                QCOMPARE(clouds.last()->parent(), &environment);
            }

            for (int tick = 0; tick < kTicksPerState; ++tick)
                environment.updateMovement();
        }
    }
}

void TestEnvironment::groundConstructorBumpsOnlyAfterFlat() {
    QList<Ground*> list;
    int bumps = 0;
    for (int i = 0; i < 2000; ++i) {
        const double start = list.isEmpty() ? 0.0 : list.last()->p2().x();
        const qsizetype before = list.size();
        const bool afterFlat = !list.isEmpty() && isHorizontal(list.last());
        new Ground(list, start, 100.0, 300.0, 8.0);
        const qsizetype added = list.size() - before;
        QVERIFY(added == 1 || added == 3);
        if (added == 3) {
            QVERIFY(afterFlat);
            ++bumps;
        }
        QCOMPARE(list[before]->p1(), QPointF(start, 100.0));
    }
    // One in five on average; never all or none over 2000 draws.
    QVERIFY(bumps > 0 && bumps < 1000);
    qDeleteAll(list);

    // After a sloped segment the next one is always flat.
    QList<Ground*> sloped{new Ground(QPointF(0, 100), QPointF(5, 103), 8.0)};
    for (int i = 0; i < 300; ++i) {
        new Ground(sloped, 5.0, 103.0, 300.0, 8.0);
        QCOMPARE(sloped.size(), 2);
        QVERIFY(isHorizontal(sloped.last()));
        const double len = length(sloped.last());
        QVERIFY(len >= 180.0 && len < 300.0);
        delete sloped.takeLast();
    }
    qDeleteAll(sloped);
}

void TestEnvironment::removalDeletesParentlessCompanions() {
    // Follow every segment by a guarded pointer: each one that leaves the
    // list must be gone at once, bump companions without a parent included.
    EnvironmentSystem environment(kScreen, 8.0);
    QList<QPointer<Ground>> tracked;
    QList<QPointer<Ground>> parentless;
    for (int state = 0; state < 300; ++state) {
        environment.updateState(kGroundY);
        for (Ground* g : environment.grounds()) {
            if (!tracked.contains(g)) {
                tracked.append(g);
                if (!g->parent())
                    parentless.append(g);
            }
        }
        for (const QPointer<Ground>& g : qAsConst(tracked))
            QCOMPARE(g.isNull(), !environment.grounds().contains(g.data()));
        for (int tick = 0; tick < kTicksPerState; ++tick)
            environment.updateMovement();
    }
    const auto deleted = std::count_if(parentless.cbegin(), parentless.cend(),
                                       [](const QPointer<Ground>& g) { return g.isNull(); });
    QVERIFY(deleted > 0);
}

void TestEnvironment::destructorDeletesEverySegment() {
    QList<QPointer<QObject>> objects;
    {
        EnvironmentSystem environment(kScreen, 8.0);
        for (int state = 0; state < 30; ++state) {
            environment.updateState(kGroundY);
            for (int tick = 0; tick < kTicksPerState; ++tick)
                environment.updateMovement();
        }
        for (Ground* g : environment.grounds())
            objects.append(g);
        for (EnvironmentObject* cloud : environment.clouds())
            objects.append(cloud);
        QVERIFY(!objects.isEmpty());
    }
    for (const QPointer<QObject>& object : objects)
        QVERIFY(object.isNull());
}

void TestEnvironment::speedChangesPropagate() {
    EnvironmentSystem environment(kScreen, 8.0);
    environment.updateState(kGroundY);
    environment.setSpeed(16.0);
    QCOMPARE(environment.speed(), 16.0);

    QList<QLineF> lines;
    for (const Ground* g : environment.grounds()) {
        QCOMPARE(g->speed(), 16.0);
        lines.append(g->line());
    }
    QList<QPointF> clouds;
    for (const EnvironmentObject* cloud : environment.clouds()) {
        QCOMPARE(cloud->speed(), 16.0);
        clouds.append(cloud->pos());
    }

    environment.updateMovement();
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(environment.grounds()[i]->line(), lines[i].translated(-16.0, 0.0));
    for (int i = 0; i < clouds.size(); ++i)
        QCOMPARE(environment.clouds()[i]->pos(), clouds[i] - QPointF(16.0, 0.0));

    // New segments and clouds take the current speed too.
    for (int i = 0; i < 100; ++i)
        environment.updateMovement();
    environment.updateState(kGroundY);
    QCOMPARE(environment.grounds().last()->speed(), 16.0);
    QCOMPARE(environment.clouds().last()->speed(), 16.0);
}

void TestEnvironment::cloudLeavesScreen() {
    Cloud cloud(nullptr, 8.0, QPointF(-175, 30));
    QCOMPARE(cloud.image().size(), QSize(191, 55));
    QVERIFY(!cloud.isOutOfScreen());
    cloud.shift(); // right edge at -183 + 191 = 8
    cloud.shift(); // right edge exactly at 0: still on screen
    QCOMPARE(cloud.pos(), QPointF(-191, 30));
    QVERIFY(!cloud.isOutOfScreen());
    cloud.shift();
    QVERIFY(cloud.isOutOfScreen());
    cloud.setPos(QPointF(500, 30));
    cloud.shift();
    QVERIFY(cloud.isOutOfScreen());

    // The environment drops it on its next bookkeeping call, and only then.
    EnvironmentSystem environment(kScreen, 8.0);
    environment.updateState(kGroundY);
    QPointer<EnvironmentObject> first = environment.clouds().first();
    first->setPos(QPointF(-175, 10));
    for (int step = 0; step < 2; ++step) { // right edge at 8, then exactly at 0
        environment.updateMovement();
        environment.updateState(kGroundY);
        QVERIFY(!first.isNull());
        QCOMPARE(environment.clouds().first(), first.data());
    }
    environment.updateMovement();
    QVERIFY(first->isOutOfScreen());
    environment.updateState(kGroundY);
    QVERIFY(first.isNull());
}

void TestEnvironment::endPictureFadesIn() {
    EnvironmentSystem environment(kScreen, 8.0);
    RecordingPaintDevice device(kScreen.size());
    QPainter painter(&device);
    const QPoint corner(600 - 309 / 2, 400 - 304 / 2);

    for (int paint = 1; paint <= 130; ++paint) {
        device.calls().clear();
        environment.paintEnd(painter);
        const int alpha = qMin(2 * paint, 255);
        QCOMPARE(environment.endColor(), QColor(240, 240, 240, alpha));

        const QList<PaintCall> rects = device.callsOf(PaintCall::Rect);
        QCOMPARE(rects.size(), 1);
        QCOMPARE(rects[0].rect, QRectF(kScreen));
        QCOMPARE(rects[0].pen.style(), Qt::NoPen);
        QCOMPARE(rects[0].brush.color(), QColor(240, 240, 240, alpha));

        const QList<PaintCall> pixmaps = device.callsOf(PaintCall::Pixmap);
        QCOMPARE(pixmaps.size(), 1);
        QCOMPARE(pixmaps[0].rect.topLeft(), QPointF(corner));
        const double share = alpha / 255.0;
        const QSize target(int(309 * share), int(304 * share));
        QCOMPARE(pixmaps[0].pixmapSize, QSize(309, 304).scaled(target, Qt::KeepAspectRatio));

        const QList<PaintCall> texts = device.callsOf(PaintCall::Text);
        QVERIFY(!texts.isEmpty());
        QCOMPARE(texts[0].pen.color(), QColor(40, 40, 40, alpha));
        QCOMPARE(texts[0].font.family(), QStringLiteral("Arial"));
        QCOMPARE(texts[0].font.pointSize(), 25);
        if (paint == 127)
            QCOMPARE(alpha, 254);
    }
    QCOMPARE(device.callsOf(PaintCall::Pixmap)[0].pixmapSize, QSize(309, 304));
}

void TestEnvironment::resetEndStartsOver() {
    EnvironmentSystem environment(kScreen, 8.0);
    RecordingPaintDevice device(kScreen.size());
    QPainter painter(&device);
    for (int paint = 0; paint < 200; ++paint)
        environment.paintEnd(painter);
    QCOMPARE(environment.endColor().alpha(), 255);
    environment.resetEnd();
    QCOMPARE(environment.endColor(), QColor(240, 240, 240, 0));
    device.calls().clear();
    environment.paintEnd(painter);
    QCOMPARE(environment.endColor().alpha(), 2);
    QCOMPARE(device.callsOf(PaintCall::Pixmap)[0].pixmapSize, QSize(2, 2));
}

void TestEnvironment::whiteBackground() {
    EnvironmentSystem environment(kScreen, 8.0);
    RecordingPaintDevice device(kScreen.size());
    QPainter painter(&device);
    const QPen pen(QColor(1, 2, 3), 5.0);
    painter.setPen(pen);
    environment.paintWhiteBackground(painter);
    const QList<PaintCall> rects = device.callsOf(PaintCall::Rect);
    QCOMPARE(rects.size(), 1);
    QCOMPARE(rects[0].rect, QRectF(kScreen));
    QCOMPARE(rects[0].brush.style(), Qt::SolidPattern);
    QCOMPARE(rects[0].brush.color(), QColor(240, 240, 240, 255));
    QCOMPARE(rects[0].pen, pen);
}

void TestEnvironment::paintEnvironmentDrawsLinesThenClouds() {
    EnvironmentSystem environment(kScreen, 8.0);
    for (int state = 0; state < 10; ++state) {
        environment.updateState(kGroundY);
        for (int tick = 0; tick < kTicksPerState; ++tick)
            environment.updateMovement();
    }
    RecordingPaintDevice device(kScreen.size());
    QPainter painter(&device);
    const QPen groundPen(QColor(128, 128, 128), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    painter.setPen(groundPen);
    environment.paintEnvironment(painter);

    const QList<PaintCall> calls = device.calls();
    const qsizetype lineCount = environment.grounds().size();
    QCOMPARE(calls.size(), lineCount + environment.clouds().size());
    for (qsizetype i = 0; i < lineCount; ++i) {
        QCOMPARE(calls[i].kind, PaintCall::Line);
        QCOMPARE(calls[i].line, environment.grounds()[i]->line());
        QCOMPARE(calls[i].pen, groundPen);
    }
    for (qsizetype i = 0; i < environment.clouds().size(); ++i) {
        const PaintCall& call = calls[lineCount + i];
        QCOMPARE(call.kind, PaintCall::Pixmap);
        QCOMPARE(call.rect, QRectF(environment.clouds()[i]->pos(), QSizeF(191, 55)));
    }
}

QTEST_MAIN(TestEnvironment)
#include "tst_environment.moc"
