#include "optionsscreen.h"

#include "focusframe.h"
#include "gameoptions.h"
#include "language.h"
#include "palette.h"

#include <QPainter>

#include <cmath>

namespace {
constexpr int kPanelPenWidth = 4;
const QColor kPanelFill(240, 240, 240, 180);
// Proportions of the window: the margin and the title and button bands.
constexpr double kMarginRatio = 1.0 / 24;
constexpr double kBandRatio = 1.0 / 12;
constexpr double kLeftColumnShare = 0.4;
constexpr double kLabelShare = 0.55;
constexpr double kActionColumnShare = 0.4;
constexpr double kKeyColumnShare = 0.3;
constexpr double kTextToRow = 0.55;
constexpr double kTitleToBand = 0.6;
constexpr double kTextPadding = 10.0;
// A setting row is as tall as two rows of the controls list.
constexpr int kSettingRowSpan = 2;

bool isValueRow(int row) {
    return row == OptionsScreen::MusicVolumeRow || row == OptionsScreen::EffectsVolumeRow ||
           row == OptionsScreen::GameSpeedRow;
}

bool isChoiceRow(int row) {
    return row == OptionsScreen::FullScreenRow || row == OptionsScreen::LanguageRow ||
           row == OptionsScreen::SlowMotionRow;
}

bool isControlRow(int row) {
    return row >= OptionsScreen::FirstControlRow && row < OptionsScreen::ResetRow;
}

// The next multiple of step up or down from value, so 55 goes to 60 or 50.
int stepped(int value, int step, int direction) {
    return direction > 0 ? (value / step + 1) * step : ((value + step - 1) / step - 1) * step;
}

QFont textFont(double pixels) {
    QFont font(kInterfaceFontFamily);
    font.setPixelSize(std::max(1, int(pixels)));
    return font;
}

void paintPanel(QPainter& painter, const QRectF& panel) {
    painter.setPen(QPen(kInkColor, kPanelPenWidth));
    painter.setBrush(kPanelFill);
    painter.drawRect(panel);
}

QRectF leftPart(const QRectF& rect, double share) {
    return QRectF(rect.left(), rect.top(), rect.width() * share, rect.height());
}

QRectF rightPart(const QRectF& rect, double share) {
    return QRectF(rect.right() - rect.width() * share, rect.top(), rect.width() * share,
                  rect.height());
}

QRectF padded(const QRectF& rect) {
    return rect.adjusted(kTextPadding, 0, -kTextPadding, 0);
}
} // namespace

struct OptionsScreen::Layout {
    QRectF title;
    QRectF header;
    QRectF leftPanel;
    QRectF rightPanel;
    QRectF rows[RowCount];
    QFont titleFont;
    QFont font;
};

OptionsScreen::OptionsScreen(GameOptions* options, Controls* controls, QObject* parent)
    : QObject(parent), m_options(options), m_controls(controls) {
    connect(options, &GameOptions::changed, this, &OptionsScreen::changed);
    connect(controls, &Controls::changed, this, &OptionsScreen::changed);
}

OptionsScreen::~OptionsScreen() = default;

void OptionsScreen::open() {
    m_focus = 0;
    m_remapping = false;
    m_focusShown = true;
}

void OptionsScreen::handle(Action action) {
    m_focusShown = true;
    if (m_remapping)
        return;
    switch (action) {
    case Action::MenuUp:
        m_focus = (m_focus + RowCount - 1) % RowCount;
        break;
    case Action::MenuDown:
        m_focus = (m_focus + 1) % RowCount;
        break;
    case Action::MenuLeft:
        step(-1);
        break;
    case Action::MenuRight:
        step(1);
        break;
    case Action::Confirm:
        confirm();
        break;
    case Action::Back:
        emit backRequested();
        break;
    default:
        break;
    }
}

void OptionsScreen::step(int direction) {
    switch (m_focus) {
    case MusicVolumeRow:
        m_options->setMusicVolume(
            stepped(m_options->musicVolume(), GameOptions::kVolumeStep, direction));
        break;
    case EffectsVolumeRow:
        m_options->setEffectsVolume(
            stepped(m_options->effectsVolume(), GameOptions::kVolumeStep, direction));
        break;
    case GameSpeedRow:
        m_options->setGameSpeed(
            stepped(m_options->gameSpeed(), GameOptions::kGameSpeedStep, direction));
        break;
    default:
        if (isChoiceRow(m_focus))
            confirm();
        break;
    }
}

void OptionsScreen::confirm() {
    switch (m_focus) {
    case FullScreenRow:
        m_options->setFullScreen(!m_options->isFullScreen());
        break;
    case LanguageRow:
        m_options->setLanguage(m_options->language() == Language::Chinese
                                   ? QString(Language::English)
                                   : QString(Language::Chinese));
        break;
    case SlowMotionRow:
        m_options->setSlowMotionToggled(!m_options->isSlowMotionToggled());
        break;
    case ResetRow:
        m_controls->resetToDefaults();
        break;
    case BackRow:
        emit backRequested();
        break;
    default:
        m_remapping = isControlRow(m_focus);
        break;
    }
}

void OptionsScreen::takeKey(const KeyboardKey& key) {
    if (!m_remapping)
        return;
    m_remapping = false;
    m_controls->bind(actionOfRow(m_focus), key);
}

void OptionsScreen::takePadInput(PadInput input) {
    if (!m_remapping || input == PadInput::None)
        return;
    m_remapping = false;
    m_controls->bind(actionOfRow(m_focus), input);
}

void OptionsScreen::mousePress(QPointF pos, QRect window) {
    const Layout& places = layout(window);
    m_remapping = false;
    m_focusShown = false;
    for (int row = 0; row < RowCount; ++row) {
        if (!places.rows[row].contains(pos))
            continue;
        m_focus = row;
        if (isValueRow(row))
            step(pos.x() < rightPart(places.rows[row], 1 - kLabelShare).center().x() ? -1 : 1);
        else
            confirm();
        return;
    }
}

// Settings on the left, the controls list on the right, the two buttons in a
// band at the bottom; everything scales with the window's height and width.
const OptionsScreen::Layout& OptionsScreen::layout(QRect window) const {
    if (m_layout && m_laidOutFor == window)
        return *m_layout;
    m_layout = std::make_unique<Layout>();
    m_laidOutFor = window;
    Layout& places = *m_layout;
    const QRectF area(window);
    const double margin = area.height() * kMarginRatio;
    const double band = area.height() * kBandRatio;
    const double inner = area.width() - 3 * margin;
    const double leftWidth = inner * kLeftColumnShare;
    const double rightLeft = area.left() + 2 * margin + leftWidth;
    places.title =
        QRectF(area.left() + margin, area.top() + margin, area.width() - 2 * margin, band);
    const double barTop = area.bottom() + 1 - margin - band;
    const double top = places.title.bottom() + margin / 2;
    // Whole pixels, so rows meet without overlapping.
    const double rowHeight = std::floor((barTop - margin / 2 - top) / (kActionCount + 1));

    for (int row = 0; row < FirstControlRow; ++row)
        places.rows[row] = QRectF(area.left() + margin, top + row * kSettingRowSpan * rowHeight,
                                  leftWidth, kSettingRowSpan * rowHeight);
    places.header = QRectF(rightLeft, top, inner - leftWidth, rowHeight);
    for (int row = FirstControlRow; row < ResetRow; ++row)
        places.rows[row] = places.header.translated(0, (row - FirstControlRow + 1) * rowHeight);
    places.rows[ResetRow] = QRectF(area.left() + margin, barTop, inner / 2, band);
    places.rows[BackRow] = places.rows[ResetRow].translated(inner / 2 + margin, 0);

    const double gap = margin / 4;
    places.leftPanel =
        places.rows[0].united(places.rows[FirstControlRow - 1]).adjusted(-gap, -gap, gap, gap);
    places.rightPanel =
        places.header.united(places.rows[ResetRow - 1]).adjusted(-gap, -gap, gap, gap);
    places.titleFont = textFont(band * kTitleToBand);
    places.font = textFont(rowHeight * kTextToRow);
    return places;
}

QRectF OptionsScreen::rowRect(int row, QRect window) const {
    return row >= 0 && row < RowCount ? layout(window).rows[row] : QRectF();
}

QString OptionsScreen::label(int row) const {
    switch (row) {
    case MusicVolumeRow:
        return tr("音乐音量");
    case EffectsVolumeRow:
        return tr("音效音量");
    case FullScreenRow:
        return tr("全屏");
    case LanguageRow:
        return tr("语言");
    case SlowMotionRow:
        return tr("死亡之眼");
    case GameSpeedRow:
        return tr("游戏速度");
    case ResetRow:
        return tr("恢复默认按键");
    case BackRow:
        return tr("返回");
    default:
        return Controls::actionName(actionOfRow(row));
    }
}

// Language names are shown in their own language, whichever is in use.
QString OptionsScreen::value(int row) const {
    switch (row) {
    case MusicVolumeRow:
        return QStringLiteral("< %1% >").arg(m_options->musicVolume());
    case EffectsVolumeRow:
        return QStringLiteral("< %1% >").arg(m_options->effectsVolume());
    case FullScreenRow:
        return m_options->isFullScreen() ? tr("开") : tr("关");
    case LanguageRow:
        return m_options->language() == Language::Chinese ? QStringLiteral("中文")
                                                          : QStringLiteral("English");
    case SlowMotionRow:
        return m_options->isSlowMotionToggled() ? tr("按一下开关") : tr("按住");
    case GameSpeedRow:
        return QStringLiteral("< %1% >").arg(m_options->gameSpeed());
    default:
        return QString();
    }
}

void OptionsScreen::paint(QPainter& painter, QRect window) const {
    const Layout& places = layout(window);
    painter.save();
    for (const QRectF& panel :
         {places.leftPanel, places.rightPanel, places.rows[ResetRow], places.rows[BackRow]})
        paintPanel(painter, panel);
    painter.setPen(kInkColor);
    painter.setFont(places.titleFont);
    painter.drawText(places.title, Qt::AlignCenter, tr("选项"));
    painter.setFont(places.font);
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    painter.drawText(padded(leftPart(places.header, kActionColumnShare)), left, tr("动作"));
    const QRectF keyColumn(places.header.left() + places.header.width() * kActionColumnShare,
                           places.header.top(), places.header.width() * kKeyColumnShare,
                           places.header.height());
    painter.drawText(padded(keyColumn), left, tr("键盘"));
    painter.drawText(padded(rightPart(places.header, 1 - kActionColumnShare - kKeyColumnShare)),
                     left, tr("手柄"));
    for (int row = 0; row < RowCount; ++row)
        paintRow(painter, places, row);
    if (isFocusShown())
        paintFocusFrame(painter, places.rows[m_focus]);
    painter.restore();
}

void OptionsScreen::paintRow(QPainter& painter, const Layout& places, int row) const {
    const QRectF& rect = places.rows[row];
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    if (row >= ResetRow) {
        painter.drawText(rect, Qt::AlignCenter, label(row));
    } else if (!isControlRow(row)) {
        painter.drawText(padded(leftPart(rect, kLabelShare)), left, label(row));
        painter.drawText(rightPart(rect, 1 - kLabelShare), Qt::AlignCenter, value(row));
    } else {
        const Action action = actionOfRow(row);
        painter.drawText(padded(leftPart(rect, kActionColumnShare)), left, label(row));
        const QRectF keyCell(rect.left() + rect.width() * kActionColumnShare, rect.top(),
                             rect.width() * kKeyColumnShare, rect.height());
        const QRectF padCell = rightPart(rect, 1 - kActionColumnShare - kKeyColumnShare);
        if (m_remapping && row == m_focus) {
            painter.drawText(padded(keyCell.united(padCell)), left, tr("请按下新的键或手柄按钮…"));
            return;
        }
        painter.drawText(padded(keyCell), left, m_controls->keyNames(action));
        painter.drawText(padded(padCell), left, m_controls->padInputNames(action));
    }
}
