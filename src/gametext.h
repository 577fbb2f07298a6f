#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

class QPainter;

// One story text that fades in, holds and fades out; every advance() is one step.
class GameText : public QObject {
    Q_OBJECT
public:
    GameText(const QString& text, const QRect& rect, int holdTime, const QColor& color,
             QObject* parent = nullptr);

    QString text() const { return m_text; }
    int holdTime() const { return m_holdTime; }
    bool isEnded() const { return m_ended; }
    bool isFadingOut() const { return m_fadingOut; }
    QColor color() const { return m_color; }

    void advance();
    // The player asked to go on: the rest of the fade-in and of the hold is
    // skipped, the fade-out is kept.
    void hurry();

public slots:
    void display(QPainter& painter);

signals:
    void end();

private:
    QString m_text;
    QRect m_rect;
    int m_holdTime;
    bool m_ended = false;
    bool m_fadingOut = false;
    QColor m_color;
};

// A queue of texts shown one after another in one rectangle and colour.
class TextList : public QObject {
    Q_OBJECT
public:
    TextList(const QRect& rect, const QColor& color, QObject* parent = nullptr);

    void addText(const QString& text);
    void clear();
    int count() const { return m_texts.size(); }
    bool lastEnded() const;
    int index() const { return m_index; }
    const QList<GameText*>& texts() const { return m_texts; }
    // One step: moves to the next text once the shown one has ended.
    void advance();
    void hurry();

public slots:
    void display(QPainter& painter);

signals:
    void end();

private:
    QList<GameText*> m_texts;
    int m_index = 0;
    // The text the last step showed, if any.
    GameText* m_shown = nullptr;
    QRect m_rect;
    QColor m_color;
};
