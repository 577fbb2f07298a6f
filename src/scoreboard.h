#pragma once

#include <QObject>
#include <QPointF>

class NumberSet;
class QPainter;

// The running game's score: seven digits in the top-right corner.
class ScoreBoard : public QObject {
    Q_OBJECT
public:
    explicit ScoreBoard(QObject* parent = nullptr);

    void setScore(int score);
    void addScore(int points);
    void subtractScore(int points);
    int score() const { return m_score; }
    void reset();

    QPointF pos() const;
    void setPos(QPointF pos);
    QPointF bottomRight() const;
    void setBottomRight(QPointF point);
    double width() const;
    double height() const;

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    NumberSet* digits() const { return m_digits; }

public slots:
    void paint(QPainter& painter);

private:
    NumberSet* m_digits;
    bool m_visible = false;
    int m_score = 0;
};
