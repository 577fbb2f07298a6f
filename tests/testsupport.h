#pragma once

// What the suites share: the game driver, the recording paint device, the game's
// objects and whole-file access for checking saved files.
#include "gamedriver.h"
#include "gameids.h"
#include "paintrecorder.h"

#include "animation.h"
#include "attachment.h"
#include "bullet.h"
#include "bulletsystem.h"
#include "crashbox.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gamenumber.h"
#include "monster.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "progressbar.h"
#include "scoreboard.h"
#include "skill.h"
#include "steptimer.h"

#include <QFile>
#include <QPointer>
#include <QtTest>

// The whole content of a file; empty when it cannot be read.
inline QByteArray readFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the content of a file; false when it cannot.
inline bool writeFile(const QString& name, const QByteArray& content) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

// Leaves one cactus and one bird, both new from the window's own spawner, which
// removes the others once pushed out; the cactus stays clear of a bird's gap.
inline void freshObstacles(Widget* w) {
    QList<QPointer<Obstacle>> leftovers;
    for (Obstacle* o : w->cactusList() + w->birdList())
        leftovers << o;
    const auto fresh = [&leftovers](const QList<Obstacle*>& list) {
        return list.size() == 1 && !leftovers.contains(list.first());
    };
    for (int i = 0; i < 1000 && !(fresh(w->cactusList()) && fresh(w->birdList())); ++i) {
        for (const QList<Obstacle*>* list : {&w->cactusList(), &w->birdList()}) {
            for (Obstacle* o : *list) {
                if (o != list->last() || leftovers.contains(o))
                    o->setPos(QPointF(-5000, 0));
            }
        }
        if (Obstacle* cactus = w->cactusList().value(w->cactusList().size() - 1))
            cactus->setPos(QPointF(std::min(cactus->pos().x(), 1400.0), cactus->pos().y()));
        w->updateObstacles();
    }
}

// A dinosaur far above its ground, bullets and a score board; derived members go first.
struct Playfield {
    ScopedWorkingDirectory dir;
    EnvironmentSystem environment;
    GameCharacter character{&environment};
    BulletSystem bullets;
    ScoreBoard score;

    Playfield(const QRect& screen, QPointF at) : environment(screen, 8.0), bullets(screen) {
        character.setGroundY(100000.0);
        place(at);
    }
    void place(QPointF pos) {
        character.setPosition(pos);
        character.updateCrashBox(character.posture());
    }
};

// Only the frame slot: nothing spawns, scores, reloads or drains meanwhile.
inline void sceneOnly(GameDriver& game, int count = 1) {
    for (int i = 0; i < count; ++i)
        game->updateScene();
}
