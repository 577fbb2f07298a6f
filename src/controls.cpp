#include "controls.h"

#include "keyboardlayout.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QSettings>

#include <algorithm>

namespace {
const char* const kSettingsName = "Brimtalon";
const char* const kKeyboardGroup = "controls/keyboard";
const char* const kGamepadGroup = "controls/gamepad";

// The names the settings file gives the actions and pad inputs, in enum order.
const char* const kActionIds[kActionCount] = {
    "jump",       "down",     "left",     "right",     "pause",   "dash",
    "slowMotion", "fire",     "aimUp",    "aimDown",   "aimLeft", "aimRight",
    "menuUp",     "menuDown", "menuLeft", "menuRight", "confirm", "back"};
const char* const kPadInputIds[kPadInputCount] = {"a",
                                                  "b",
                                                  "x",
                                                  "y",
                                                  "back",
                                                  "guide",
                                                  "start",
                                                  "leftStick",
                                                  "rightStick",
                                                  "leftShoulder",
                                                  "rightShoulder",
                                                  "dpadUp",
                                                  "dpadDown",
                                                  "dpadLeft",
                                                  "dpadRight",
                                                  "leftStickLeft",
                                                  "leftStickRight",
                                                  "leftStickUp",
                                                  "leftStickDown",
                                                  "rightStickLeft",
                                                  "rightStickRight",
                                                  "rightStickUp",
                                                  "rightStickDown",
                                                  "leftTrigger",
                                                  "rightTrigger"};

const char* const kActionNames[kActionCount] = {
    QT_TRANSLATE_NOOP("Controls", "跳跃"),     QT_TRANSLATE_NOOP("Controls", "下蹲"),
    QT_TRANSLATE_NOOP("Controls", "向左"),     QT_TRANSLATE_NOOP("Controls", "向右"),
    QT_TRANSLATE_NOOP("Controls", "暂停"),     QT_TRANSLATE_NOOP("Controls", "冲刺"),
    QT_TRANSLATE_NOOP("Controls", "死亡之眼"), QT_TRANSLATE_NOOP("Controls", "开火"),
    QT_TRANSLATE_NOOP("Controls", "准星上移"), QT_TRANSLATE_NOOP("Controls", "准星下移"),
    QT_TRANSLATE_NOOP("Controls", "准星左移"), QT_TRANSLATE_NOOP("Controls", "准星右移"),
    QT_TRANSLATE_NOOP("Controls", "菜单上"),   QT_TRANSLATE_NOOP("Controls", "菜单下"),
    QT_TRANSLATE_NOOP("Controls", "菜单左"),   QT_TRANSLATE_NOOP("Controls", "菜单右"),
    QT_TRANSLATE_NOOP("Controls", "确定"),     QT_TRANSLATE_NOOP("Controls", "返回")};

// What an Xbox-style pad prints on its buttons needs no translation; the
// directions of the d-pad and the sticks do.
const char* const kPadInputNames[kPadInputCount] = {"A",
                                                    "B",
                                                    "X",
                                                    "Y",
                                                    "Back",
                                                    "Guide",
                                                    "Start",
                                                    "LS",
                                                    "RS",
                                                    "LB",
                                                    "RB",
                                                    QT_TRANSLATE_NOOP("Controls", "十字键↑"),
                                                    QT_TRANSLATE_NOOP("Controls", "十字键↓"),
                                                    QT_TRANSLATE_NOOP("Controls", "十字键←"),
                                                    QT_TRANSLATE_NOOP("Controls", "十字键→"),
                                                    QT_TRANSLATE_NOOP("Controls", "左摇杆←"),
                                                    QT_TRANSLATE_NOOP("Controls", "左摇杆→"),
                                                    QT_TRANSLATE_NOOP("Controls", "左摇杆↑"),
                                                    QT_TRANSLATE_NOOP("Controls", "左摇杆↓"),
                                                    QT_TRANSLATE_NOOP("Controls", "右摇杆←"),
                                                    QT_TRANSLATE_NOOP("Controls", "右摇杆→"),
                                                    QT_TRANSLATE_NOOP("Controls", "右摇杆↑"),
                                                    QT_TRANSLATE_NOOP("Controls", "右摇杆↓"),
                                                    "LT",
                                                    "RT"};

// The default keys by where they sit, as X11 and evdev number them (the
// US symbol beside each). The run keeps W/Space, S, A, D, Esc and F under the
// left hand; E beside them holds the slow motion. The crosshair takes the
// arrow keys, which every layout has in the same place and which no run
// action uses, so the right hand aims while Return beside them fires.
// The menus use the arrows, Tab, Return/Space and Esc, as desktop programs do.
struct DefaultKey {
    Action action;
    quint32 scanCode;
    int key;
};
constexpr DefaultKey kDefaultKeys[] = {
    {Action::Jump, 25, Qt::Key_W},          {Action::Jump, 65, Qt::Key_Space},
    {Action::Down, 39, Qt::Key_S},          {Action::Left, 38, Qt::Key_A},
    {Action::Right, 40, Qt::Key_D},         {Action::Pause, 9, Qt::Key_Escape},
    {Action::Dash, 41, Qt::Key_F},          {Action::SlowMotion, 26, Qt::Key_E},
    {Action::Fire, 36, Qt::Key_Return},     {Action::AimUp, 111, Qt::Key_Up},
    {Action::AimDown, 116, Qt::Key_Down},   {Action::AimLeft, 113, Qt::Key_Left},
    {Action::AimRight, 114, Qt::Key_Right}, {Action::MenuUp, 111, Qt::Key_Up},
    {Action::MenuDown, 116, Qt::Key_Down},  {Action::MenuDown, 23, Qt::Key_Tab},
    {Action::MenuLeft, 113, Qt::Key_Left},  {Action::MenuRight, 114, Qt::Key_Right},
    {Action::Confirm, 36, Qt::Key_Return},  {Action::Confirm, 65, Qt::Key_Space},
    {Action::Back, 9, Qt::Key_Escape}};

struct DefaultPadInput {
    Action action;
    PadInput input;
};
constexpr DefaultPadInput kDefaultPadInputs[] = {{Action::Jump, PadInput::A},
                                                 {Action::Down, PadInput::DpadDown},
                                                 {Action::Down, PadInput::LeftStickDown},
                                                 {Action::Left, PadInput::DpadLeft},
                                                 {Action::Left, PadInput::LeftStickLeft},
                                                 {Action::Right, PadInput::DpadRight},
                                                 {Action::Right, PadInput::LeftStickRight},
                                                 {Action::Pause, PadInput::Start},
                                                 {Action::Dash, PadInput::B},
                                                 {Action::SlowMotion, PadInput::RightTrigger},
                                                 {Action::Fire, PadInput::RightShoulder},
                                                 {Action::AimUp, PadInput::RightStickUp},
                                                 {Action::AimDown, PadInput::RightStickDown},
                                                 {Action::AimLeft, PadInput::RightStickLeft},
                                                 {Action::AimRight, PadInput::RightStickRight},
                                                 {Action::MenuUp, PadInput::DpadUp},
                                                 {Action::MenuUp, PadInput::LeftStickUp},
                                                 {Action::MenuDown, PadInput::DpadDown},
                                                 {Action::MenuDown, PadInput::LeftStickDown},
                                                 {Action::MenuLeft, PadInput::DpadLeft},
                                                 {Action::MenuLeft, PadInput::LeftStickLeft},
                                                 {Action::MenuRight, PadInput::DpadRight},
                                                 {Action::MenuRight, PadInput::LeftStickRight},
                                                 {Action::Confirm, PadInput::A},
                                                 {Action::Back, PadInput::B}};

// Windows and macOS number their scan codes otherwise: there the defaults go
// by symbol.
bool hasXkbScanCodes() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("windows") && platform != QLatin1String("cocoa");
}

QSettings settings() {
    return QSettings(kSettingsName, kSettingsName);
}

bool sameKind(Action a, Action b) {
    return Controls::isMenuAction(a) == Controls::isMenuAction(b);
}

// Two actions of the same kind on one input make the table unusable.
template <typename Input, typename Same>
bool isPlayable(const std::array<QList<Input>, kActionCount>& table, Same same) {
    for (int a = 0; a < kActionCount; ++a) {
        if (table[a].isEmpty())
            return false;
        for (int b = a + 1; b < kActionCount; ++b) {
            if (!sameKind(Action(a), Action(b)))
                continue;
            for (const Input& input : table[a]) {
                for (const Input& other : table[b]) {
                    if (same(input, other))
                        return false;
                }
            }
        }
    }
    return true;
}

template <typename Input, typename Same>
void bindSwapping(std::array<QList<Input>, kActionCount>& table, Action action, Input input,
                  Same same) {
    const QList<Input> former = table[size_t(action)];
    for (int other = 0; other < kActionCount; ++other) {
        if (other == int(action) || !sameKind(Action(other), action))
            continue;
        QList<Input>& inputs = table[other];
        for (qsizetype i = 0; i < inputs.size(); ++i) {
            if (!same(inputs.at(i), input))
                continue;
            const bool nothingToGive =
                former.isEmpty() ||
                std::any_of(inputs.cbegin(), inputs.cend(),
                            [&](const Input& in) { return same(in, former.first()); });
            if (nothingToGive)
                inputs.removeAt(i--);
            else
                inputs[i] = former.first();
        }
    }
    table[size_t(action)] = {input};
}

bool samePad(PadInput a, PadInput b) {
    return a == b;
}

bool sameKey(const KeyboardKey& a, const KeyboardKey& b) {
    return a.matches(b);
}

QString keyToString(const KeyboardKey& key) {
    return QStringLiteral("%1:%2").arg(key.scanCode).arg(key.key);
}

bool keyFromString(const QString& text, KeyboardKey& key) {
    const QStringList parts = text.split(QLatin1Char(':'));
    bool scanOk = false;
    bool keyOk = false;
    if (parts.size() != 2)
        return false;
    key.scanCode = parts.at(0).toUInt(&scanOk);
    key.key = parts.at(1).toInt(&keyOk);
    return scanOk && keyOk && (key.scanCode != 0 || key.key != 0);
}

int padInputFromString(const QString& text) {
    for (int i = 0; i < kPadInputCount; ++i) {
        if (text == QLatin1String(kPadInputIds[i]))
            return i;
    }
    return -1;
}

// The keys of every action from the settings; false when any is missing or bad.
bool readKeys(QSettings& store, std::array<QList<KeyboardKey>, kActionCount>& table) {
    store.beginGroup(kKeyboardGroup);
    bool ok = true;
    for (int a = 0; a < kActionCount && ok; ++a) {
        table[a].clear();
        for (const QString& text : store.value(kActionIds[a]).toStringList()) {
            KeyboardKey key;
            ok = ok && keyFromString(text, key);
            table[a].append(key);
        }
    }
    store.endGroup();
    return ok && isPlayable(table, sameKey);
}

bool readPadInputs(QSettings& store, std::array<QList<PadInput>, kActionCount>& table) {
    store.beginGroup(kGamepadGroup);
    bool ok = true;
    for (int a = 0; a < kActionCount && ok; ++a) {
        table[a].clear();
        for (const QString& text : store.value(kActionIds[a]).toStringList()) {
            const int input = padInputFromString(text);
            ok = ok && input >= 0;
            table[a].append(PadInput(input));
        }
    }
    store.endGroup();
    return ok && isPlayable(table, samePad);
}

QString joined(QStringList names) {
    return names.join(QStringLiteral(" / "));
}
} // namespace

bool KeyboardKey::matches(const KeyboardKey& other) const {
    if (scanCode != 0 && other.scanCode != 0)
        return scanCode == other.scanCode;
    return key == other.key;
}

Controls::Controls(QObject* parent)
    : QObject(parent), m_printedKeys(KeyboardLayout::printedKeys()) {
    load();
}

KeyboardKey Controls::keyOf(const QKeyEvent& event) {
    return KeyboardKey{event.nativeScanCode(), event.key()};
}

bool Controls::isMenuAction(Action action) {
    return int(action) >= int(Action::MenuUp);
}

QString Controls::actionName(Action action) {
    return tr(kActionNames[size_t(action)]);
}

QString Controls::padInputName(PadInput input) {
    if (input == PadInput::None)
        return QString();
    return tr(kPadInputNames[size_t(input)]);
}

QList<Action> Controls::actionsFor(const KeyboardKey& key) const {
    QList<Action> actions;
    for (int a = 0; a < kActionCount; ++a) {
        if (isBound(Action(a), key))
            actions.append(Action(a));
    }
    return actions;
}

bool Controls::isBound(Action action, const KeyboardKey& key) const {
    const QList<KeyboardKey>& bound = keys(action);
    return std::any_of(bound.cbegin(), bound.cend(),
                       [&key](const KeyboardKey& k) { return k.matches(key); });
}

void Controls::bind(Action action, const KeyboardKey& key) {
    if (key.scanCode == 0 && (key.key == 0 || key.key == Qt::Key_unknown))
        return;
    bindSwapping(m_keys, action, key, sameKey);
    save();
    emit changed();
}

void Controls::bind(Action action, PadInput input) {
    if (input == PadInput::None)
        return;
    bindSwapping(m_pad, action, input, samePad);
    save();
    emit changed();
}

void Controls::resetToDefaults() {
    setDefaults();
    save();
    emit changed();
}

void Controls::setDefaults() {
    for (QList<KeyboardKey>& keys : m_keys)
        keys.clear();
    for (QList<PadInput>& inputs : m_pad)
        inputs.clear();
    const bool byPosition = hasXkbScanCodes();
    for (const DefaultKey& key : kDefaultKeys)
        m_keys[size_t(key.action)].append(KeyboardKey{byPosition ? key.scanCode : 0, key.key});
    for (const DefaultPadInput& input : kDefaultPadInputs)
        m_pad[size_t(input.action)].append(input.input);
}

void Controls::learnKeyName(const QKeyEvent& event) {
    if (event.nativeScanCode() != 0 && event.key() != 0 && event.key() != Qt::Key_unknown)
        m_printedKeys.insert(event.nativeScanCode(), event.key());
}

QString Controls::keyName(const KeyboardKey& key) const {
    const int printed = m_printedKeys.value(key.scanCode, key.key);
    switch (printed) {
    case Qt::Key_Up:
        return QStringLiteral("↑");
    case Qt::Key_Down:
        return QStringLiteral("↓");
    case Qt::Key_Left:
        return QStringLiteral("←");
    case Qt::Key_Right:
        return QStringLiteral("→");
    case Qt::Key_Space:
        return tr("空格");
    case 0:
    case Qt::Key_unknown:
        return QStringLiteral("#%1").arg(key.scanCode);
    default:
        return QKeySequence(printed).toString(QKeySequence::NativeText);
    }
}

QString Controls::keyNames(Action action) const {
    QStringList names;
    for (const KeyboardKey& key : keys(action))
        names << keyName(key);
    return joined(names);
}

QString Controls::padInputNames(Action action) const {
    QStringList names;
    for (PadInput input : padInputs(action))
        names << padInputName(input);
    return joined(names);
}

// Bad or missing settings leave the defaults, one device at a time.
void Controls::load() {
    QSettings store = settings();
    std::array<QList<KeyboardKey>, kActionCount> keys;
    std::array<QList<PadInput>, kActionCount> pad;
    const bool keysOk = readKeys(store, keys);
    const bool padOk = readPadInputs(store, pad);
    setDefaults();
    if (keysOk)
        m_keys = keys;
    if (padOk)
        m_pad = pad;
}

void Controls::save() const {
    QSettings store = settings();
    for (int a = 0; a < kActionCount; ++a) {
        QStringList keys;
        for (const KeyboardKey& key : m_keys[a])
            keys << keyToString(key);
        QStringList inputs;
        for (PadInput input : m_pad[a])
            inputs << QLatin1String(kPadInputIds[size_t(input)]);
        store.setValue(QStringLiteral("%1/%2").arg(kKeyboardGroup, kActionIds[a]), keys);
        store.setValue(QStringLiteral("%1/%2").arg(kGamepadGroup, kActionIds[a]), inputs);
    }
}
