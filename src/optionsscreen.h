#pragma once

#include "controls.h"

#include <QObject>
#include <QRect>
#include <QRectF>

#include <memory>

class GameOptions;
class QPainter;

// The options screen: the player's choices and the controls list, one row
// each, walked through with the menu actions or clicked with the mouse. It
// owns no window; the window hands it the actions, keys, pad inputs and
// clicks, and lets it paint into its rectangle.
class OptionsScreen : public QObject {
    Q_OBJECT
public:
    enum Row {
        MusicVolumeRow,
        EffectsVolumeRow,
        FullScreenRow,
        LanguageRow,
        SlowMotionRow,
        GameSpeedRow,
        FirstControlRow,
        ResetRow = FirstControlRow + kActionCount,
        BackRow,
        RowCount
    };

    OptionsScreen(GameOptions* options, Controls* controls, QObject* parent = nullptr);
    ~OptionsScreen() override;

    // Focus on the first row, nothing waiting for a key.
    void open();
    int focus() const { return m_focus; }
    // A control row waits for the next key or pad input.
    bool isRemapping() const { return m_remapping; }
    // The mouse hides the focus frame (as moving it should); the next menu
    // action shows it again. A row waiting for a key always shows it.
    void setFocusShown(bool shown) { m_focusShown = shown; }
    bool isFocusShown() const { return m_focusShown || m_remapping; }
    static Action actionOfRow(int row) { return Action(row - FirstControlRow); }

    // Up/down move the focus (round), left/right change the focused value,
    // confirm flips a choice, starts a remap or presses a button, back leaves.
    void handle(Action action);
    // While remapping, the key or pad input taken for the focused action;
    // ignored otherwise. Auto-repeated presses, and the pad reading whose
    // confirm started the remap, are not the player's choice: leave them out.
    void takeKey(const KeyboardKey& key);
    void takePadInput(PadInput input);
    // A click focuses the row under it and acts as confirm would; on a value
    // the left half lowers it, the right half raises it. Elsewhere it ends a remap.
    void mousePress(QPointF pos, QRect window);

    QRectF rowRect(int row, QRect window) const;
    void paint(QPainter& painter, QRect window) const;

signals:
    void backRequested();
    // A choice or a binding changed (the options and the controls announce which).
    void changed();

private:
    struct Layout;
    // Worked out again only when the window's rectangle changes.
    const Layout& layout(QRect window) const;
    void step(int direction);
    void confirm();
    QString label(int row) const;
    QString value(int row) const;
    void paintRow(QPainter& painter, const Layout& layout, int row) const;

    GameOptions* m_options;
    Controls* m_controls;
    int m_focus = 0;
    bool m_remapping = false;
    bool m_focusShown = true;
    mutable std::unique_ptr<Layout> m_layout;
    mutable QRect m_laidOutFor;
};
