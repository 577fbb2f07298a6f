#pragma once

#include "gameids.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <array>

class QKeyEvent;

// A key of the keyboard: where it sits (the native scan code) when the
// platform reports one, and the symbol it gives (Qt::Key) for when it does not.
struct KeyboardKey {
    quint32 scanCode = 0;
    int key = 0;

    // The same physical key when both know where they sit, else the same symbol.
    bool matches(const KeyboardKey& other) const;
    bool operator==(const KeyboardKey& other) const {
        return scanCode == other.scanCode && key == other.key;
    }
};

// Which keys and which pad inputs ask for each action: remappable, remembered
// across starts (QSettings, group "controls"), and named as the player's
// keyboard layout prints them.
class Controls : public QObject {
    Q_OBJECT
public:
    explicit Controls(QObject* parent = nullptr);

    static KeyboardKey keyOf(const QKeyEvent& event);
    // Run actions and menu actions are read on different screens, so only
    // actions of the same kind clash over a key.
    static bool isMenuAction(Action action);
    static QString actionName(Action action);
    static QString padInputName(PadInput input);

    const QList<KeyboardKey>& keys(Action action) const { return m_keys[size_t(action)]; }
    const QList<PadInput>& padInputs(Action action) const { return m_pad[size_t(action)]; }
    // Every action the key asks for: at most one run action and one menu action.
    QList<Action> actionsFor(const KeyboardKey& key) const;
    bool isBound(Action action, const KeyboardKey& key) const;

    // The action is then on this key (pad input) alone; an action of the same
    // kind that had it takes the action's former first key in exchange.
    void bind(Action action, const KeyboardKey& key);
    void bind(Action action, PadInput input);
    void resetToDefaults();

    // Remembers what the current layout prints on the event's key, for when
    // the player switched layouts since the game read it at start.
    void learnKeyName(const QKeyEvent& event);
    QString keyName(const KeyboardKey& key) const;
    // The action's keys (pad inputs) by name, " / " between them.
    QString keyNames(Action action) const;
    QString padInputNames(Action action) const;

signals:
    void changed();

private:
    void setDefaults();
    void load();
    void save() const;

    std::array<QList<KeyboardKey>, kActionCount> m_keys;
    std::array<QList<PadInput>, kActionCount> m_pad;
    // Scan code -> the Qt::Key the layout prints on it: read at start, then
    // as the last event on the key gave it.
    QHash<quint32, int> m_printedKeys;
};
