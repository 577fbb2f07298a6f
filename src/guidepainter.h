#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRect>
#include <QStringList>

class QPainter;

// The keyboard half of the tutorial picture: a row per control, each with
// the caps of its keys and a caption. The art program draws the shipped
// picture with it, and the game draws the rows again over that picture when
// the player's layout or remapped keys print other names on the caps.
class GuidePainter {
public:
    static constexpr int kKeySize = 54;
    static constexpr int kRowHeight = 80;
    static constexpr int kLeftColumn = 56;
    static constexpr int kFirstRowTop = 126;
    static constexpr int kCaptionLeft = kLeftColumn + 206;
    static constexpr int kCaptionWidth = 260;
    // Captions end before the dotted divider at the column's right.
    static constexpr int kCaptionRoom = kCaptionWidth - 4;
    // The English captions run longer in the same room.
    static constexpr int kChineseCaptionPixels = 28;
    static constexpr int kEnglishCaptionPixels = 26;

    inline static const QColor kInk{83, 83, 83};
    inline static const QColor kInkDark{48, 48, 52};
    inline static const QColor kPaper{247, 247, 247};
    inline static const QColor kWorld{240, 240, 240};

    struct Row {
        QStringList caps;
        // A "/" between the caps: either key does it. Without, each does its half.
        bool alternatives = false;
        QString caption;
    };

    static QFont font(int pixelSize);
    static void chamferedBox(QPainter& painter, const QRect& rect, int step, const QColor& colour);
    static void panel(QPainter& painter, const QRect& rect, const QColor& face);

    // Where the rows go, with the caps' shadows.
    static QRect keyboardColumn(int rowCount);
    static void paintRows(QPainter& painter, const QList<Row>& rows, int captionPixels);

private:
    static int paintCap(QPainter& painter, int x, int y, const QString& text, int maxWidth);
    static void paintCaption(QPainter& painter, int y, const QString& text, int pixels);
};
