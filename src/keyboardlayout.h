#pragma once

#include <QHash>

// What the player's keyboard layout prints on its keys, read once from XKB:
// from the X server's keyboard when the game runs on X11, otherwise from
// XKB's defaults (the XKB_DEFAULT_LAYOUT family of variables, else "us").
// Keys are numbered by XKB keycode, which is the scan code Qt reports on
// X11 and Wayland.
class KeyboardLayout {
public:
    // Scan code -> the Qt::Key of the character the key prints unshifted, for
    // every key that prints one. Empty where XKB cannot say.
    static QHash<quint32, int> printedKeys();
};
