#include "keyboardlayout.h"

#include <QChar>
#include <QGuiApplication>

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace {

template <typename T, void (*Free)(T*)> struct XkbFree {
    void operator()(T* p) const { Free(p); }
};
using Context = std::unique_ptr<xkb_context, XkbFree<xkb_context, xkb_context_unref>>;
using Keymap = std::unique_ptr<xkb_keymap, XkbFree<xkb_keymap, xkb_keymap_unref>>;
using State = std::unique_ptr<xkb_state, XkbFree<xkb_state, xkb_state_unref>>;

// The key of a printable character is its upper case, as Qt names letter keys.
int qtKeyOf(xkb_keysym_t sym) {
    const char32_t code = xkb_keysym_to_utf32(sym);
    if (code <= 0x20 || code == 0x7f || !QChar::isPrint(code))
        return 0;
    return int(QChar::toUpper(code));
}

xcb_connection_t* x11Connection() {
    if (auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        return x11->connection();
    return nullptr;
}

// The keymap and state of the X server's core keyboard; both null when the
// game does not run on X11 or the server lacks the XKB extension.
std::pair<Keymap, State> x11Keyboard(xkb_context* context) {
    xcb_connection_t* connection = x11Connection();
    if (!connection || !xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                    XKB_X11_MIN_MINOR_XKB_VERSION,
                                                    XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr,
                                                    nullptr, nullptr, nullptr))
        return {};
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return {};
    Keymap keymap(
        xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return {};
    State state(xkb_x11_state_new_from_device(keymap.get(), connection, device));
    return {std::move(keymap), std::move(state)};
}

} // namespace

QHash<quint32, int> KeyboardLayout::printedKeys() {
    QHash<quint32, int> printed;
    Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return printed;
    xkb_context_set_log_level(context.get(), XKB_LOG_LEVEL_CRITICAL);
    auto [keymap, state] = x11Keyboard(context.get());
    if (!keymap)
        keymap.reset(
            xkb_keymap_new_from_names(context.get(), nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return printed;
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap.get());
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap.get()); code <= last; ++code) {
        // The layout (group) the player has switched to, at the unshifted level.
        const xkb_layout_index_t layout = state ? xkb_state_key_get_layout(state.get(), code) : 0;
        const xkb_keysym_t* syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap.get(), code, layout, 0, &syms) < 1)
            continue;
        if (const int key = qtKeyOf(syms[0]))
            printed.insert(code, key);
    }
    return printed;
}
