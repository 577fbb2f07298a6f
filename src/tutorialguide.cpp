#include "tutorialguide.h"

#include "controls.h"
#include "language.h"
#include "pixmaps.h"

#include <QPainter>

namespace {
// Room around the rows for the caps' shadows.
constexpr int kColumnMargin = 6;

QStringList firstNames(const Controls& controls, Action action, int count) {
    QStringList names;
    for (const KeyboardKey& key : controls.keys(action).mid(0, count))
        names << controls.keyName(key);
    return names;
}
} // namespace

const QString TutorialGuide::kPicture = QStringLiteral(":/images/guide.jpg");

QList<GuidePainter::Row> TutorialGuide::rows(const Controls& controls) {
    const QString slash = QStringLiteral(" / ");
    const QStringList jump = firstNames(controls, Action::Jump, 2);
    const QStringList down = firstNames(controls, Action::Down, 1);
    const QStringList walk =
        firstNames(controls, Action::Left, 1) + firstNames(controls, Action::Right, 1);
    const QStringList dash = firstNames(controls, Action::Dash, 1);
    const QStringList pause = firstNames(controls, Action::Pause, 1);
    return {{jump, true, tr("%1：跳跃").arg(jump.join(slash))},
            {down, false, tr("%1：下蹲 / 空中急降").arg(down.join(slash))},
            {walk, false, tr("%1：左右移动").arg(walk.join(slash))},
            {dash, false, tr("%1：冲刺（无敌）").arg(dash.join(slash))},
            {pause, false, tr("%1：暂停").arg(pause.join(slash))}};
}

QList<QStringList> TutorialGuide::capsOf(const QList<GuidePainter::Row>& rows) {
    QList<QStringList> caps;
    for (const GuidePainter::Row& row : rows)
        caps << row.caps;
    return caps;
}

QList<QStringList> TutorialGuide::shippedCaps() {
    return {{QStringLiteral("W"), Controls::tr("空格")},
            {QStringLiteral("S")},
            {QStringLiteral("A"), QStringLiteral("D")},
            {QStringLiteral("F")},
            {QStringLiteral("Esc")}};
}

QPixmap TutorialGuide::load(const Controls& controls) {
    QPixmap guide = loadPixmap(kPicture);
    const QList<GuidePainter::Row> keyRows = rows(controls);
    if (guide.isNull() || capsOf(keyRows) == shippedCaps())
        return guide;
    QPainter painter(&guide);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect column = GuidePainter::keyboardColumn(int(keyRows.size()));
    painter.fillRect(column.adjusted(-kColumnMargin, -kColumnMargin, 0, kColumnMargin),
                     GuidePainter::kWorld);
    GuidePainter::paintRows(painter, keyRows,
                            Language::isEnglishInstalled() ? GuidePainter::kEnglishCaptionPixels
                                                           : GuidePainter::kChineseCaptionPixels);
    return guide;
}
