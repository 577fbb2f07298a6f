// The tutorial picture: every control with a small drawing of its key or
// mouse button, a scene that shows the slow-motion shot, and the goal.
#include "art.h"
#include "guidepainter.h"

#include <QPainterPath>

namespace art {

namespace {

constexpr int kWidth = 1127;
constexpr int kHeight = 711;
constexpr int kRightColumn = 548;
constexpr int kMouseCaptionSize[] = {26, 24};

void caption(QPainter& p, int x, int y, int width, const QString& text, int size) {
    p.setFont(cjkFont(size));
    p.setPen(kInkDark);
    p.drawText(QRect(x, y, width, GuidePainter::kKeySize - 4), Qt::AlignLeft | Qt::AlignVCenter,
               text);
}

// The keyboard rows as a US layout prints the default keys.
QList<GuidePainter::Row> keyboardRows(Language language) {
    const auto say = [language](const Words& words) { return wording(language, words); };
    const QString space = say({"空格", "Space"});
    return {
        {{QStringLiteral("W"), space}, true, say({"W / 空格：跳跃", "W / Space: jump"})},
        {{QStringLiteral("S")}, false, say({"S：下蹲 / 空中急降", "S: duck / drop fast"})},
        {{QStringLiteral("A"), QStringLiteral("D")},
         false,
         say({"A / D：左右移动", "A / D: walk left / right"})},
        {{QStringLiteral("F")}, false, say({"F：冲刺（无敌）", "F: dash (invincible)"})},
        {{QStringLiteral("Esc")}, false, say({"Esc：暂停", "Esc: pause"})},
    };
}

// Mouse seen from above; the held right button glows gold, a clicked left
// button shows click marks.
void mouse(QPainter& p, int x, int y, bool leftClick) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(x, y, 56, 80);
    QPainterPath shell;
    shell.addRoundedRect(body, 26, 28);
    p.setPen(QPen(kInkDark, 4));
    p.setBrush(kPaper);
    p.drawPath(shell);
    p.save();
    p.setClipPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawRect(QRectF(x + 28, y, 28, 34));
    if (leftClick) {
        p.setBrush(kInkSoft);
        p.drawRect(QRectF(x, y, 28, 34));
    }
    p.restore();
    p.setPen(QPen(kInkDark, 3));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(x + 28, y), QPointF(x + 28, y + 34));
    p.drawLine(QPointF(x + 1, y + 34), QPointF(x + 55, y + 34));
    p.drawPath(shell);
    p.setPen(QPen(kInkDark, 3, Qt::SolidLine, Qt::RoundCap));
    if (leftClick) {
        p.drawLine(QPointF(x - 6, y + 4), QPointF(x - 16, y - 6));
        p.drawLine(QPointF(x - 8, y + 16), QPointF(x - 20, y + 16));
        p.drawLine(QPointF(x + 8, y - 6), QPointF(x + 4, y - 18));
    }
    // Glow strokes around the held button.
    p.setPen(QPen(kGoldDark, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x + 62, y + 4), QPointF(x + 72, y - 6));
    p.drawLine(QPointF(x + 64, y + 16), QPointF(x + 76, y + 16));
    p.restore();
}

// A slice of the game under the slow-motion veil: the dinosaur, its golden
// gun, the aimed shot and a bird about to be hit.
void scene(QPainter& p, const QRect& box) {
    GuidePainter::panel(p, box, kWorld);
    const QRect inner = box.adjusted(6, 6, -6, -6);
    p.save();
    p.setClipRect(inner);
    const int ground = inner.bottom() - 22;
    p.setPen(QPen(QColor(128, 128, 128), 2));
    p.drawLine(inner.left(), ground, inner.right(), ground);
    p.drawImage(QPoint(inner.left() + 300, ground - 87 + 6), cactiSheet().copy(0, 0, 50, 87));
    p.drawImage(QPoint(inner.left() + 140, inner.top() + 10), cloud());

    const QImage dino = dinoSheet().copy(0, 0, 87, 94);
    const QPoint dinoAt(inner.left() + 90, ground - 94 + 6);
    p.drawImage(dinoAt, dino);
    const QPoint gunAt = dinoAt + QPoint(-40, -30);
    p.drawImage(gunAt, gunSheet(true).copy(43, 0, 43, 43));

    const QImage bird = birdSheet().copy(0, 0, 91, 80);
    const QPoint birdAt(inner.right() - 120, inner.top() + 30);
    p.drawImage(birdAt, bird);
    const QPoint aim = birdAt + QPoint(40, 40);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGoldDark, 3, Qt::DashLine, Qt::RoundCap));
    p.drawLine(gunAt + QPoint(40, 23), aim);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawImage(aim - QPoint(30, 30), cursorAim());

    // The golden veil of slow motion.
    p.fillRect(inner, QColor(232, 178, 36, 46));
    p.restore();
}

} // namespace

QImage guide(Language language) {
    const auto say = [language](const Words& words) { return wording(language, words); };
    const int column = language == Language::Chinese ? 0 : 1;
    const int mouseCaption = kMouseCaptionSize[column];
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kWorld);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Frame and title.
    GuidePainter::chamferedBox(p, image.rect().adjusted(10, 10, -10, -10), 4, kInk);
    GuidePainter::chamferedBox(p, image.rect().adjusted(15, 15, -15, -15), 4, kWorld);
    p.setFont(cjkFont(46));
    p.setPen(kInkDark);
    p.drawText(QRect(0, 30, kWidth, 60), Qt::AlignCenter, say({"操作说明", "Controls"}));
    p.fillRect(QRect(kWidth / 2 - 110, 96, 220, 4), kInk);
    p.fillRect(QRect(kWidth / 2 - 130, 96, 12, 4), kInk);
    p.fillRect(QRect(kWidth / 2 + 118, 96, 12, 4), kInk);

    // Keyboard column.
    GuidePainter::paintRows(p, keyboardRows(language),
                            language == Language::Chinese ? GuidePainter::kChineseCaptionPixels
                                                          : GuidePainter::kEnglishCaptionPixels);

    // Divider between the columns.
    for (int dot = 130; dot < 520; dot += 14)
        p.fillRect(QRect(kRightColumn - 28, dot, 4, 6), kInkPale);

    // Mouse column.
    mouse(p, kRightColumn + 6, 132, false);
    caption(p, kRightColumn + 100, 146, 470,
            say({"按住鼠标右键：死亡之眼（时间变慢）", "Hold right button: Dead Eye (slow time)"}),
            mouseCaption);
    mouse(p, kRightColumn + 6, 240, true);
    caption(p, kRightColumn + 100, 254, 470,
            say({"按住右键 + 左键点击：浮游炮射击", "Hold right + left click: floating gun fires"}),
            mouseCaption);
    scene(p, QRect(kRightColumn, 344, 534, 190));

    // The goal.
    const QRect goal(56, 572, kWidth - 112, 86);
    GuidePainter::panel(p, goal, kPaper);
    p.drawImage(QPoint(goal.left() + 14, goal.top() + 12),
                ufo().scaled(92, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    p.setFont(cjkFont(29));
    p.setPen(kInkDark);
    p.drawText(goal.adjusted(110, 0, -20, 0), Qt::AlignCenter,
               say({"目标：躲避仙人掌与飞鸟，得分达到 20 后击败墨鲲飞碟！",
                    "Goal: dodge cacti and birds; at 20 points, beat the Mokun saucer!"}));
    return image;
}

} // namespace art
