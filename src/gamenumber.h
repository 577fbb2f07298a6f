#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointF>

class QPainter;

// One digit cut from the digit strip.
class GameNumber : public QObject {
    Q_OBJECT
public:
    explicit GameNumber(int digit, QObject* parent = nullptr);

    void setDigit(int digit);
    int digit() const { return m_digit; }
    QPixmap image() const { return m_image; }
    double width() const { return m_image.width(); }
    double height() const { return m_image.height(); }

private:
    int m_digit = 0;
    QPixmap m_image;
};

// A fixed-width row of digits showing a non-negative number with leading zeros.
class NumberSet : public QObject {
    Q_OBJECT
public:
    NumberSet(int count, int value, QObject* parent = nullptr);

    void setNumber(int value);
    int number() const;
    int count() const { return m_count; }
    const QList<GameNumber*>& digits() const { return m_digits; }

    QPointF pos() const { return m_pos; }
    void setPos(QPointF pos) { m_pos = pos; }
    double digitWidth() const;
    double digitHeight() const;
    double totalWidth() const { return m_count * digitWidth(); }
    QPointF bottomRight() const;
    void setBottomRight(QPointF point);

public slots:
    void paint(QPainter& painter);

private:
    QList<GameNumber*> m_digits;
    int m_count;
    QPointF m_pos;
};
