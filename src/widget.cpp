#include "widget.h"

#include "animation.h"
#include "attachment.h"
#include "bullet.h"
#include "bulletsystem.h"
#include "controls.h"
#include "deadeye.h"
#include "environmentsystem.h"
#include "focusframe.h"
#include "gamebutton.h"
#include "gamecharacter.h"
#include "gameclock.h"
#include "gameids.h"
#include "gamenumber.h"
#include "gameoptions.h"
#include "gamepad.h"
#include "gametext.h"
#include "ground.h"
#include "language.h"
#include "monstersystem.h"
#include "obstacle.h"
#include "optionsscreen.h"
#include "palette.h"
#include "pixmaps.h"
#include "progressbar.h"
#include "savedfile.h"
#include "scoreboard.h"
#include "skill.h"
#include "soundboard.h"
#include "statusbar.h"
#include "steptimer.h"
#include "tutorialguide.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <climits>

namespace {
// Frame loop.
constexpr int kObstacleInterval = 500;
constexpr int kEnvironmentInterval = 500;
constexpr int kScoreInterval = 1000;
constexpr double kBaseSpeed = 8.0;
constexpr double kGroundLineRatio = 0.618;
constexpr int kInitialWidth = 800;
constexpr int kInitialHeight = 600;

// Character and input.
constexpr double kCharacterFootDepth = 10.0;
constexpr double kLoadingBarLift = 3.0;
constexpr double kJumpSpeed = -30.0;
constexpr double kFastFallPush = 10.0;
constexpr double kSideSpeed = 6.0;
constexpr double kDeadEyeFactor = 0.1;
constexpr double kMinDeadEyeEnergy = 1.0;
constexpr QPointF kMouseAway(-100.0, -100.0);
// The crosshair keys move the aim this far per step: across a full-HD window in about two seconds.
constexpr double kAimStep = 18.0;
constexpr quint32 kMenuMoves =
    StepInput::MenuUp | StepInput::MenuDown | StepInput::MenuLeft | StepInput::MenuRight;
constexpr quint32 kMenuFlags = kMenuMoves | StepInput::Confirm | StepInput::Back;

// The step input's flag for a press of a menu action, 0 for a run action.
quint32 menuFlagOf(Action action) {
    return Controls::isMenuAction(action)
               ? quint32(StepInput::MenuUp) << (int(action) - int(Action::MenuUp))
               : 0;
}
// The banked currency is shown with this many digits.
constexpr int kEssenceDigits = 7;
// How long "could not save" stays on the screen: three seconds.
constexpr int kSaveNoticeSteps = 150;
constexpr int kSaveNoticeMargin = 8;
constexpr int kSaveNoticeHeight = 36;

// Loading bar.
constexpr double kLoadingBarWidth = 400.0;
constexpr double kLoadingBarHeight = 40.0;
constexpr double kLoadingBarBorder = 3.0;
constexpr double kLoadingBarFinalBorder = 5.0;

// Obstacles.
constexpr double kBirdSpeedRatio = 1.3;
constexpr int kMaxCactiBeforeSpawn = 2;
constexpr int kMaxBirdsBeforeSpawn = 3;
constexpr double kCactusGap = 300.0;
constexpr double kCactusFootDepth = 10.0;
constexpr double kBirdGapAfterCactus = 2.5;
constexpr double kBirdGapAfterBird = 5.0;
// Each spawn draws a number from 1 to kSpawnDraw and skips at or below these.
constexpr int kSpawnDraw = 10;
constexpr int kCactusSkipAtMost = 3;
constexpr int kBirdSkipAtMost = 6;
constexpr double kBirdHighest = 400.0;
constexpr double kBirdLowest = 140.0;

// Saved files, by bare name in the working directory.
const QString kScoreFileName = QString::fromLatin1(FileName::Bank);
const QString kFirstStartMarker = QString::fromLatin1(FileName::FirstStartMarker);
const QString kLastReplay = QString::fromLatin1(FileName::LastReplay);
const QString kBestReplay = QString::fromLatin1(FileName::BestReplay);

// Pictures of the screens.
const QString kStartPicture = QStringLiteral(":/images/start.png");
const QString kTeachPicture = QStringLiteral(":/images/teach.png");
const QString kUpgradePicture = QStringLiteral(":/images/upgrade.png");
const QString kOptionsPicture = QStringLiteral(":/images/options.png");
const QString kQuitPicture = QStringLiteral(":/images/quit.png");
const QString kPausePicture = QStringLiteral(":/images/pause.png");
const QString kHomePicture = QStringLiteral(":/images/home.png");
const QString kConfirmPicture = QStringLiteral(":/images/confirm.png");
const QString kRestartPicture = QStringLiteral(":/images/restart.png");

// Painting.
const QString kTextFontFamily = QStringLiteral("黑体");
const QColor kGroundPenColor(128, 128, 128);
constexpr double kGroundPenWidth = 2.0;
const QColor kLoadingFill(255, 233, 111);
const QColor kWindowBackground(240, 240, 240);
constexpr int kVeilMaxAlpha = 50;
constexpr int kVeilStep = 5;
constexpr double kTutorialCentreDivisor = 2.5;
constexpr double kScoreRightRatio = 0.98;
constexpr double kScoreTopRatio = 1.1;

// Upgrades: each run of four levels (q) adds these; the level within the run
// (r) adds the step of each improvement already reached.
constexpr int kBaseMaxEnergy = 20;
constexpr int kMaxEnergyStep = 16;
constexpr double kBaseRecovery = 0.2;
constexpr double kRecoveryStep = 0.15;
constexpr int kBaseCapacity = 5;
constexpr int kCapacityStep = 3;
constexpr int kBaseDamage = 5;
constexpr int kDamageStep = 5;
constexpr int kDamageFactor = 2;
constexpr int kPricePerLevel = 50;
constexpr int kMaxPrice = 1500;
constexpr int kUpgradeFontSize = 20;
constexpr int kMenuFontSize = 25;
constexpr int kPanelPenWidth = 4;
const QColor kPanelFill(240, 240, 240, 180);
constexpr int kOptionsButtonMargin = 4;

const char* const kStoryTexts[] = {
    QT_TRANSLATE_NOOP("Widget",
                      "恐龙，是怎么灭绝的？\n天上掉下来的，\n真的只是陨石吗？\n恐怕未必。"),
    QT_TRANSLATE_NOOP("Widget", "轰击地球的,\n不是石头。\n是墨鲲的卵鞘，\n来自深空。\n墨鲲降临。"),
    QT_TRANSLATE_NOOP("Widget",
                      "幼龙侵害万物。\n植物、恐龙、其他生灵……\n巨兽哀鸣倒地。\n天空布满掠影。"),
    QT_TRANSLATE_NOOP(
        "Widget",
        "世上生灵皆被异化，\n你是唯一幸存者。\n焦土中，残骸间。\n背上，浮游炮…唯一伙伴。"),
    QT_TRANSLATE_NOOP("Widget", "它低鸣，警示。\n绿光，在炮口闪烁。\n快跑！急奔！\n炮口旋转，锁定…"
                                "\n但墨鲲从来都不止一只。"),
    QT_TRANSLATE_NOOP("Widget", "逃亡，\n已经开始。"),
};

// The bird list holds obstacles, as the other lists do, but a bird must take
// its own step (which also drops it) and be painted where it was hit.
Bird* asBird(Obstacle* obstacle) {
    return static_cast<Bird*>(obstacle);
}

// The texts ask for "黑体" (and "Arial" on the win screen), which Linux
// desktops rarely have: point both at the CJK fonts the set-up installs, so
// no glyph falls back to an empty box.
void registerFontSubstitutes() {
    static const bool registered = [] {
        const QStringList cjkFamilies = {QStringLiteral("WenQuanYi Micro Hei"),
                                         QStringLiteral("Noto Sans CJK SC"),
                                         QStringLiteral("Droid Sans Fallback")};
        QFont::insertSubstitutions(QStringLiteral("黑体"), cjkFamilies);
        QFont::insertSubstitutions(QStringLiteral("Arial"), cjkFamilies);
        return true;
    }();
    Q_UNUSED(registered);
}

// 64 bits: a hand-edited level may sit anywhere in the int range.
qint64 upgradePrice(int level) {
    return std::min<qint64>(qint64(kPricePerLevel) * level, kMaxPrice);
}

QString upgradeText(int level) {
    if (level < 0)
        return QString();
    switch (level % 4) {
    case 1:
        return QCoreApplication::translate("Widget", "死亡之眼最大持续时间增加");
    case 2:
        return QCoreApplication::translate("Widget", "浮游炮子弹容量增加");
    case 3:
        return QCoreApplication::translate("Widget", "死亡之眼恢复速度增加");
    default:
        return QCoreApplication::translate("Widget", "浮游炮伤害增加");
    }
}
} // namespace

Widget::Widget(QWidget* parent) : QWidget(parent) {
    registerFontSubstitutes();
    m_cursors.load();
    if (objectName().isEmpty())
        setObjectName("Widget");
    resize(kInitialWidth, kInitialHeight);
    setWindowTitle(QCoreApplication::translate("Widget", "Widget"));
    setFocusPolicy(Qt::StrongFocus);
    // Only to hide the keys' focus frame: the pointer still moves on presses and releases alone.
    setMouseTracking(true);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, kWindowBackground);
    setPalette(windowPalette);

    showMaximized();

    m_groundLine = frameGeometry().height();
    m_scoreFile = kScoreFileName;
    const QFileInfo marker(kFirstStartMarker);
    m_firstStart = !(marker.exists() && marker.isFile());
    showCursor(false);
    m_stage = Stage::Loading;
    m_baseSpeed = kBaseSpeed;

    m_environment = new EnvironmentSystem(rect(), kBaseSpeed, this);
    m_character = new GameCharacter(m_environment, this);
    const double h = m_character->sheet().height();
    m_character->setPosition(QPointF(GameCharacter::kHomeRatio * width(), -h));
    m_character->setGroundY(-h);
    m_rush = std::make_unique<Rush>(m_character, m_environment, Rush::kDuration, Rush::kCooldown);
    m_deadEye = new DeadEye(this);
    m_character->setDeadEye(m_deadEye);
    m_bulletSystem = new BulletSystem(rect(), this);
    m_bulletSystem->setDeadEye(m_deadEye);
    m_statusBar = new StatusBar(m_deadEye, m_bulletSystem, m_rush.get(), rect(), this);
    m_gun = new Gun(m_deadEye, this, m_character);
    m_scoreBoard = new ScoreBoard(this);
    m_character->setScoreBoard(m_scoreBoard);
    m_monsterSystem = new MonsterSystem(m_scoreBoard, m_environment, m_bulletSystem, m_character,
                                        m_deadEye, this);
    connect(m_monsterSystem, &MonsterSystem::gameWin, this, &Widget::gameWin);
    m_sessionSeed = m_random.seed();
    m_environment->setRandom(&m_random);
    m_monsterSystem->setRandom(&m_random);
    m_bank = readEssence();
    m_essenceDisplay = new NumberSet(kEssenceDigits, m_bank, this);
    m_sounds = new SoundBoard(this);
    m_controls = new Controls(this);
    m_options = new GameOptions(this);
    m_optionsScreen = new OptionsScreen(m_options, m_controls, this);
    m_gamepad = new Gamepad(this);
    // An unplugged pad pauses a run, as a lost focus does.
    connect(m_gamepad, &Gamepad::padDisconnected, this, [this] { m_focusLost = true; });
    m_optionsButton = new GameButton(QPixmap(), QPointF(0, 0), this);
    m_optionsButton->id = ButtonId::Options;
    m_optionsButton->setVisible(false);
    connectSounds();

    createTimers();
    connectOptions();
    m_animationTick = 0;
    changeToStage(m_stage);
    m_clock->startPacing(this);
}

void Widget::setFixedSeed(quint64 seed) {
    m_fixedSeed = seed;
    m_sessionSeed = seed;
    m_random.reseed(seed);
}

quint64 Widget::nextRunSeed() {
    if (m_playback)
        return m_playback->runSeeds.value(m_runSeedsUsed++);
    const quint64 seed = m_fixedSeed.value_or(GameRandom::entropySeed());
    if (m_recording)
        m_recording->runSeeds.append(seed);
    return seed;
}

// ---------------------------------------------------------------- replays

void Widget::recordReplays() {
    m_recording = std::make_unique<Replay>();
    m_recording->version = QStringLiteral(BRIMTALON_VERSION);
    m_recording->language = QLocale().name().left(2);
    m_recording->firstStart = m_firstStart;
    m_recording->bank = readEssence();
    m_recording->level = m_character->level();
    QString ignored;
    if (const std::optional<Replay> best = Replay::load(kBestReplay, &ignored))
        m_bestScore = best->score;
}

void Widget::playReplay(const Replay& replay) {
    m_recording.reset();
    m_playback = replay;
    m_playbackFrameHeight = replay.frameHeight;
    setFixedSize(replay.clientSize);
    m_random.reseed(replay.sessionSeed);
}

// The one place where the player's devices become the step's input: recorded
// when recording, replaced by the recorded input when replaying.
void Widget::takeStepInput() {
    const StepInput input = m_playback ? m_playback->next() : liveInput();
    if (m_playback) {
        applyInput(input);
    } else {
        // The keys' own state comes back at the end of the step (endInputTick).
        for (const auto& [flag, held] : heldInputs()) {
            if ((input.flags & flag) && !*held) {
                *held = true;
                m_padOnly |= flag;
            }
        }
        if (m_recording)
            m_recording->append(input);
    }
    m_stepFlags = input.flags;
    if (input.has(StepInput::FocusLost) && m_stage == Stage::Run)
        gamePause();
}

std::array<std::pair<quint32, bool*>, 14> Widget::heldInputs() {
    return {{{StepInput::Jump, &m_keyJump},
             {StepInput::Down, &m_keyDown},
             {StepInput::Left, &m_keyLeft},
             {StepInput::Right, &m_keyRight},
             {StepInput::Escape, &m_keyEscape},
             {StepInput::Skill, &m_keySkill},
             {StepInput::MouseLeft, &m_mouseLeft},
             {StepInput::MouseRight, &m_mouseRight},
             {StepInput::SlowMotion, &m_keySlowMotion},
             {StepInput::Fire, &m_keyFire},
             {StepInput::AimUp, &m_keyAimUp},
             {StepInput::AimDown, &m_keyAimDown},
             {StepInput::AimLeft, &m_keyAimLeft},
             {StepInput::AimRight, &m_keyAimRight}}};
}

// The pad's held run actions and pressed menu actions; while a control
// waits for a new binding, its first press is that binding instead.
quint32 Widget::padFlags(const PadReading& reading) {
    if (m_stage == Stage::Options && m_optionsScreen->isRemapping()) {
        if (reading.firstPress != PadInput::None)
            m_optionsScreen->takePadInput(reading.firstPress);
        return 0;
    }
    quint32 menuFlags = 0;
    quint32 runFlags = 0;
    for (int a = 0; a < kActionCount; ++a) {
        const Action action = Action(a);
        if (const quint32 menuFlag = menuFlagOf(action)) {
            menuFlags |= reading.wasPressed(action) ? menuFlag : 0;
            continue;
        }
        const bool* field = heldFlag(action);
        for (const auto& [flag, held] : heldInputs())
            runFlags |= (held == field && reading.isHeld(action)) ? flag : 0;
    }
    // A that starts a run also jumps, B that resumes one also dashes: not
    // until the button is let go, as with the keys (pressByKey).
    m_padIgnored &= runFlags;
    if (m_stage != Stage::Run && (menuFlags & (StepInput::Confirm | StepInput::Back)))
        m_padIgnored = runFlags;
    return menuFlags | (runFlags & ~m_padIgnored);
}

StepInput Widget::liveInput() {
    StepInput input;
    input.flags |= padFlags(m_gamepad->poll(*m_controls));
    for (const auto& [flag, held] : heldInputs())
        input.flags |= *held ? flag : 0;
    input.flags |= m_menuPresses;
    m_menuPresses = 0;
    if (m_focusLost)
        input.flags |= StepInput::FocusLost;
    if (m_eventPointer) {
        input.flags |= StepInput::Pointer;
        input.pointer = *m_eventPointer;
    }
    const int height = frameHeight();
    if (height != m_recordedFrameHeight) {
        if (m_recording && m_recording->steps() == 0) {
            m_recording->clientSize = size();
            m_recording->frameHeight = height;
        } else {
            input.flags |= StepInput::FrameHeight;
            input.frameHeight = height;
        }
        m_recordedFrameHeight = height;
    }
    m_focusLost = false;
    m_eventPointer.reset();
    return input;
}

void Widget::applyInput(const StepInput& input) {
    for (const auto& [flag, held] : heldInputs())
        *held = input.flags & flag;
    if (input.has(StepInput::Pointer))
        m_mousePos = input.pointer;
    if (input.has(StepInput::FrameHeight))
        m_playbackFrameHeight = input.frameHeight;
}

int Widget::frameHeight() const {
    return m_playback ? m_playbackFrameHeight : frameGeometry().height();
}

void Widget::keepReplay(int score) {
    ++m_finishedRuns;
    emit runFinished(score);
    if (!m_recording)
        return;
    m_recording->sessionSeed = m_sessionSeed;
    m_recording->runStartStep = m_runStartStep;
    m_recording->finishedRuns = m_finishedRuns;
    m_recording->score = score;
    m_recording->save(kLastReplay);
    if (score > m_bestScore && m_recording->save(kBestReplay))
        m_bestScore = score;
}

Widget::~Widget() {
    // Buttons are owned by the list, not by Qt: the window deletes them itself.
    qDeleteAll(m_buttons);
    m_buttons.clear();
}

// Within a step the timers that fall due fire by interval, shortest first, the
// two 500 ms ones in the order they were made, and the scene step comes last,
// after everything else that fell due in its 20 ms.
void Widget::createTimers() {
    m_clock = new GameClock(this);
    m_monsterSystem->crashTimer()->setObjectName(QStringLiteral("hits"));
    m_bulletSystem->shootTimer()->setObjectName(QStringLiteral("cooldown"));
    m_deadEye->timer()->setObjectName(QStringLiteral("energy"));
    m_bulletSystem->reloadTimer()->setObjectName(QStringLiteral("reload"));
    for (StepTimer* timer : {m_monsterSystem->crashTimer(), m_bulletSystem->shootTimer(),
                             m_deadEye->timer(), m_bulletSystem->reloadTimer()})
        m_clock->addTimer(timer);
    makeTimer(kObstacleInterval, &Widget::updateObstacles, "obstacles");
    makeTimer(kEnvironmentInterval, &Widget::updateEnvironment, "environment");
    makeTimer(kScoreInterval, &Widget::updateScores, "score");
    makeTimer(GameClock::kStepMs, &Widget::updateScene, "scene");
    connect(m_clock, &GameClock::aboutToStep, this, &Widget::takeStepInput);
    connect(m_clock, &GameClock::aboutToStep, this, &Widget::rememberPositions);
    connect(m_clock, &GameClock::frameDue, this, qOverload<>(&Widget::update));
}

StepTimer* Widget::makeTimer(int interval, void (Widget::*slot)(), const char* name) {
    auto* timer = new StepTimer(this);
    timer->setObjectName(QLatin1String(name));
    connect(timer, &StepTimer::timeout, this, slot);
    timer->start(interval);
    m_clock->addTimer(timer);
    return timer;
}

const QList<StepTimer*>& Widget::timers() const {
    return m_clock->timers();
}

bool Widget::isKeyHeld(int key) const {
    const bool* flag = keyFlag(key);
    return flag && *flag;
}

bool Widget::isMouseButtonHeld(Qt::MouseButton button) const {
    if (button == Qt::LeftButton)
        return m_mouseLeft;
    if (button == Qt::RightButton)
        return m_mouseRight;
    return false;
}

GameButton* Widget::button(int id) const {
    if (id == ButtonId::Options)
        return m_optionsButton->isVisible() ? m_optionsButton : nullptr;
    for (GameButton* candidate : m_buttons) {
        if (candidate && candidate->id == id)
            return candidate;
    }
    return nullptr;
}

// ---------------------------------------------------------------- saved files

int Widget::readEssence() const {
    return m_unsavedEssence ? *m_unsavedEssence : SavedFile::readOrCreate(m_scoreFile, 0);
}

void Widget::writeEssence(int value) {
    if (SavedFile::write(m_scoreFile, value)) {
        m_unsavedEssence.reset();
        return;
    }
    m_unsavedEssence = value;
    noticeFailedSave();
}

void Widget::bankScore() {
    if (m_levelUnsaved)
        recordLevelSave(m_character->saveLevel());
    // Saturate rather than wrap: a huge bank must never turn negative.
    const qint64 total = qint64(readEssence()) + m_scoreBoard->score();
    writeEssence(int(std::clamp<qint64>(total, INT_MIN, INT_MAX)));
    keepReplay(m_scoreBoard->score());
}

void Widget::showEssence(int bank) {
    m_bank = bank;
    m_essenceDisplay->setNumber(bank);
}

void Widget::recordLevelSave(bool saved) {
    m_levelUnsaved = !saved;
    if (m_levelUnsaved)
        noticeFailedSave();
}

void Widget::noticeFailedSave() {
    m_saveNoticeSteps = kSaveNoticeSteps;
}

// ---------------------------------------------------------------- stages

void Widget::gameMenu() {
    changeToStage(Stage::Menu);
}
void Widget::gameStart() {
    changeToStage(Stage::Run);
}
void Widget::gameContinue() {
    changeToStage(Stage::Run);
}
void Widget::gamePause() {
    changeToStage(Stage::Pause);
}
void Widget::gameIntro() {
    changeToStage(Stage::Story);
}
void Widget::gameTeach() {
    changeToStage(Stage::Tutorial);
}
void Widget::gameUpgrade() {
    changeToStage(Stage::Upgrade);
}

void Widget::gameOptions() {
    changeToStage(Stage::Options);
}

void Widget::gameEnd() {
    bankScore();
    changeToStage(Stage::GameOver);
}

void Widget::gameWin() {
    bankScore();
    changeToStage(Stage::Win);
}

void Widget::gameRestart() {
    m_character->reset();
    changeToStage(Stage::Menu);
}

void Widget::gameQuit() {
    qDebug() << "QUIT";
    QCoreApplication::quit();
}

// Only a run (or the win screen that ends one) can be lost: on the other
// screens the dinosaur is parked out of play, hidden above a small window's
// top edge where a high bird can still brush it, and must not turn the menu
// into a game-over screen.
void Widget::checkHealth() {
    if (m_stage != Stage::Run && m_stage != Stage::Win)
        return;
    if (m_character->health() <= 0.0)
        gameEnd();
}

void Widget::decreaseHealth(double amount) {
    m_character->setHealth(m_character->health() - amount);
}

void Widget::changeToStage(int type) {
    // A click that led here must not also hit a button of the new screen.
    m_mousePos = kMouseAway;
    // Pausing by mistake must not send the player home with one press.
    m_focusId = type == Stage::Pause ? ButtonId::Continue : 0;
    m_optionsButton->setVisible(false);
    m_optionsOffered = false;
    switch (type) {
    case Stage::Loading:
        enterLoading();
        break;
    case Stage::Menu:
        enterMenu();
        break;
    case Stage::Run:
        enterRun();
        break;
    case Stage::Pause:
        enterPause();
        break;
    case Stage::GameOver:
        enterGameOver();
        break;
    case Stage::Win:
        enterWin();
        break;
    case Stage::Story:
        enterStory();
        break;
    case Stage::Tutorial:
        enterTutorial();
        break;
    case Stage::Upgrade:
        enterUpgradeScreen();
        break;
    case Stage::Options:
        enterOptions();
        break;
    default:
        break;
    }
}

void Widget::enterLoading() {
    m_stage = Stage::Loading;
    auto bar = std::make_unique<ProgressBar>(kLoadingBarWidth, kLoadingBarHeight, QPointF(0, 0),
                                             kLoadingBarBorder);
    bar->type = BarType::Loading;
    bar->placeBelowCenter(rect());
    bar->setBorderColor(Qt::black);
    bar->setFillColor(kLoadingFill);
    bar->setBorderWidth(kLoadingBarFinalBorder);
    if (m_firstStart)
        connect(bar.get(), &ProgressBar::complete, this, &Widget::gameIntro);
    else
        connect(bar.get(), &ProgressBar::complete, this, &Widget::gameMenu);
    m_progressBar = std::move(bar);
}

void Widget::enterMenu() {
    m_stage = Stage::Menu;
    m_paused = false;
    m_gameOver = false;
    endInterruptedDash();
    m_rush->reset();
    clearButtons();
    GameButton* start = addButton(kStartPicture, ButtonId::Start);
    start->centerInLowerPart(rect());
    const QRectF startRect = start->rect();
    GameButton* teach = addButton(kTeachPicture, ButtonId::Teach);
    teach->setPos(QPointF(startRect.x() + startRect.width(),
                          startRect.y() + startRect.height() - teach->image().height()));
    GameButton* upgrade = addButton(kUpgradePicture, ButtonId::Upgrade);
    upgrade->setBottomRight(QPointF(startRect.x(), startRect.y() + startRect.height()));
    GameButton* quit = addButton(kQuitPicture, ButtonId::Quit);
    quit->setBottomRight(QPointF(width() - 1, height() - 1));
    showOptionsButton();

    updateUpgrade();
    if (m_deadEye->isActive())
        stopDeadEye();
    m_deadEye->reset();
    m_bulletSystem->reset(rect());
    m_statusBar->setScreenRect(rect());
    m_statusBar->setVisible(false);
    m_scoreBoard->reset();
    showEssence(readEssence());
    m_monsterSystem->reset();
    m_environment->setSpeed(m_baseSpeed);
    m_environment->resetEnd();
    showCursor(false);
    m_sounds->setPaused(false);
    m_sounds->setMusic(SoundBoard::Music::Main);
}

// A run left during a dash (home from the pause screen, or a restart after a
// death) never reaches the dash's own end, which alone clears its
// invincibility: without this the next run would be invincible for good.
void Widget::endInterruptedDash() {
    if (!m_rush->isActive())
        return;
    m_rush->stop();
    // A character reset for a new run keeps its start invincibility until it lands.
    if (!m_character->hasLanded())
        m_character->setInvincible(true);
}

// A pause can land on the very tick after a death, before the health check
// has seen it. Banked on the way home, that death must not be banked again by
// the menu's health check, nor turn the menu into a game-over screen.
void Widget::forgetDeathBeforePause() {
    if (m_character->health() <= 0.0)
        m_character->reset();
}

void Widget::enterRun() {
    if (m_stage == Stage::Menu) {
        m_random.reseed(nextRunSeed());
        m_runStartStep = m_clock->steps();
        m_aimPoint = rect().center();
        m_stage = Stage::Run;
        const double h = m_character->sheet().height();
        m_character->setGroundY(-h + m_groundLine + kCharacterFootDepth);
        m_character->setAirborne(true);
        // Whatever brushed the parked dinosaur does not count against the new run.
        m_character->setHealth(1.0);
        m_paused = false;
        m_gameOver = false;
        m_rush->reset();
        clearButtons();
        addButton(kPausePicture, ButtonId::Pause)
            ->setBottomRight(QPointF(width() - 1, height() - 1));
        explodeObstacles();
        m_statusBar->setVisible(true);
        m_scoreBoard->reset();
        m_scoreBoard->setScore(0);
        m_scoreBoard->setVisible(true);
        m_monsterSystem->reset();
    } else if (m_stage == Stage::Pause) {
        m_stage = Stage::Run;
        m_paused = false;
        m_sounds->setPaused(false);
        clearButtons();
        addButton(kPausePicture, ButtonId::Pause)
            ->setBottomRight(QPointF(width() - 1, height() - 1));
        m_bulletSystem->setReloadPaused(false);
    }
}

void Widget::enterPause() {
    m_stage = Stage::Pause;
    m_paused = true;
    m_sounds->setPaused(true);
    if (m_deadEye->isActive())
        stopDeadEye();
    clearButtons();
    addButton(kHomePicture, ButtonId::Home)->setBottomRight(QPointF(width() - 1, height() - 1));
    addButton(kStartPicture, ButtonId::Continue)->centerInLowerPart(rect());
    showOptionsButton();
    m_bulletSystem->setReloadPaused(true);
}

// Bottom left, which the menu and the pause screen leave free.
// Loaded again each time, in the language of the moment. Until the player
// moves the mouse or uses a menu key, the screen stays exactly as drawn
// without it.
void Widget::showOptionsButton() {
    m_optionsButton->setImage(loadPixmap(kOptionsPicture));
    m_optionsButton->setPos(QPointF(kOptionsButtonMargin, height() - kOptionsButtonMargin -
                                                              m_optionsButton->image().height()));
    m_optionsButton->setVisible(m_focusShown);
    m_optionsOffered = true;
}

void Widget::enterOptions() {
    m_optionsReturn = m_stage == Stage::Pause ? Stage::Pause : Stage::Menu;
    m_stage = Stage::Options;
    clearButtons();
    m_optionsScreen->open();
    m_optionsScreen->setFocusShown(m_focusShown);
    m_optionsClickHeld = true;
}

// Every choice acts at once; the clock's step stretches with the game speed.
void Widget::connectOptions() {
    connect(m_options, &GameOptions::musicVolumeChanged, m_sounds, &SoundBoard::setMusicPercent);
    connect(m_options, &GameOptions::effectsVolumeChanged, m_sounds,
            &SoundBoard::setEffectsPercent);
    connect(m_options, &GameOptions::fullScreenChanged, this, &Widget::applyFullScreen);
    connect(m_options, &GameOptions::languageChanged, this, [this](const QString& code) {
        Language::install(code);
        update();
    });
    const auto stretch = [this] {
        m_clock->setStepLength(GameClock::kStepMs * m_options->stepStretch());
    };
    connect(m_options, &GameOptions::gameSpeedChanged, this, stretch);
    stretch();
    connect(m_optionsScreen, &OptionsScreen::backRequested, this, [this] {
        m_sounds->play(SoundBoard::Sfx::Button);
        changeToStage(m_optionsReturn);
    });
}

void Widget::applyFullScreen(bool on) {
    if (m_playback)
        return;
    if (on) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        showFullScreen();
        return;
    }
    showNormal();
    const QRect available = screen()->availableGeometry();
    setGeometry(available);
    setFixedSize(available.size());
}

void Widget::enterGameOver() {
    m_stage = Stage::GameOver;
    m_paused = true;
    m_gameOver = true;
    qDebug() << "end";
    endSlowMotion();
    m_sounds->play(SoundBoard::Sfx::Death);
    m_sounds->setMusic(SoundBoard::Music::None);
    takeOverButton(ButtonId::Restart, kRestartPicture)->centerIn(rect());
    m_bulletSystem->setReloadPaused(true);
}

void Widget::enterWin() {
    // paused and gameOver stay as they are: the boss keeps exploding and the
    // health check keeps running on this screen.
    m_stage = Stage::Win;
    endSlowMotion();
    m_sounds->play(SoundBoard::Sfx::Victory);
    m_sounds->setMusic(SoundBoard::Music::Jingle);
    takeOverButton(ButtonId::Restart, kRestartPicture)->centerInLowerPart(rect());
    m_bulletSystem->setReloadPaused(true);
}

void Widget::enterStory() {
    m_stage = Stage::Story;
    if (!m_textList)
        m_textList = new TextList(rect(), kInkColor, this);
    else
        m_textList->clear();
    for (const char* text : kStoryTexts)
        m_textList->addText(tr(text));
    // Unique: a second visit must not switch to the tutorial twice.
    connect(m_textList, &TextList::end, this, &Widget::gameTeach, Qt::UniqueConnection);
}

void Widget::enterTutorial() {
    m_stage = Stage::Tutorial;
    m_guideImage = TutorialGuide::load(*m_controls);
    m_fittedGuide = QPixmap();
    takeOverButton(ButtonId::Start, kStartPicture)->centerInLowerPart(rect());
    if (SavedFile::write(kFirstStartMarker, 1))
        m_firstStart = false;
    else
        noticeFailedSave();
}

void Widget::enterUpgradeScreen() {
    m_stage = Stage::Upgrade;
    clearButtons();
    addButton(kConfirmPicture, ButtonId::Confirm);
    addButton(kQuitPicture, ButtonId::Quit);
}

GameButton* Widget::addButton(const QString& picture, int id) {
    auto* button = new GameButton(loadPixmap(picture), QPointF(0, 0), this);
    button->setVisible(true);
    button->id = id;
    m_buttons.append(button);
    return button;
}

// The new screen keeps the old one's button with this id, shown again and
// moved to the end of the list, and hides every other; without one it gets a
// new button with this picture.
GameButton* Widget::takeOverButton(int id, const QString& picture) {
    GameButton* kept = nullptr;
    for (int i = 0; i < m_buttons.size();) {
        GameButton* candidate = m_buttons.at(i);
        if (!kept && candidate && candidate->id == id) {
            kept = m_buttons.takeAt(i);
            continue;
        }
        if (candidate)
            candidate->setVisible(false);
        ++i;
    }
    if (!kept)
        return addButton(picture, id);
    kept->setVisible(true);
    m_buttons.append(kept);
    return kept;
}

void Widget::clearButtons() {
    qDeleteAll(m_buttons);
    m_buttons.clear();
}

void Widget::stopDeadEye() {
    if (!m_deadEye || !m_rush)
        return;
    m_deadEye->deactivate();
    m_environment->setSpeed(m_rush->isActive() ? Rush::kSpeedFactor * m_baseSpeed : m_baseSpeed);
}

// A run that ends while the right button is held would otherwise keep the
// slow motion, its veil and its crosshair on the game-over or win screen.
void Widget::endSlowMotion() {
    if (!m_deadEye->isActive())
        return;
    stopDeadEye();
    m_deadEye->veilColor.setAlpha(0);
}

void Widget::explodeObstacles() {
    for (Obstacle* bird : std::as_const(m_birdList)) {
        bird->active = false;
        bird->exploding = true;
        bird->setHitPos(bird->pos());
    }
    for (Obstacle* cactus : std::as_const(m_cactusList)) {
        cactus->active = false;
        cactus->exploding = true;
    }
}

void Widget::updateUpgrade() {
    // 64 bits: a hand-edited level may sit anywhere in the int range. The
    // capacity then still fits an int; the damage is kept within the int the
    // boss fight turns it into.
    const qint64 level = m_character->level();
    const qint64 q = (level - 1) / 4;
    const qint64 r = (level - 1) % 4;
    m_deadEye->maxEnergy = double(kMaxEnergyStep * q + kBaseMaxEnergy);
    m_deadEye->recovery = q * kRecoveryStep + kBaseRecovery;
    m_bulletSystem->setCapacity(int(kCapacityStep * q + kBaseCapacity));
    const qint64 damage = (kDamageStep * q + kBaseDamage) * kDamageFactor;
    m_bulletSystem->setDamage(double(std::clamp<qint64>(damage, INT_MIN, INT_MAX)));
    if (r >= 1)
        m_deadEye->maxEnergy += kMaxEnergyStep;
    if (r >= 2)
        m_bulletSystem->setCapacity(m_bulletSystem->capacity() + kCapacityStep);
    if (r == 3)
        m_deadEye->recovery += kRecoveryStep;
}

// The price comes off the bank itself, not off the display, which keeps only
// the last seven digits; as on the display, the bank never goes below 0.
void Widget::characterUpgrade() {
    const int level = m_character->level();
    const qint64 rest = readEssence() - upgradePrice(level);
    showEssence(int(std::clamp<qint64>(rest, 0, INT_MAX)));
    writeEssence(m_bank);
    recordLevelSave(m_character->levelUp());
    m_sounds->play(SoundBoard::Sfx::Upgrade);
}

// ---------------------------------------------------------------- sound

// Every sound follows the game event itself, never the raw input: a jump key
// held in the air, or a shot the cool-down holds back, makes no sound.
void Widget::connectSounds() {
    using Sfx = SoundBoard::Sfx;
    const auto cue = [this](Sfx sfx) { return [this, sfx] { m_sounds->play(sfx); }; };
    connect(m_deadEye, &DeadEye::state_changed, this, &Widget::playSlowMotionChange);
    connect(m_bulletSystem, &BulletSystem::reloaded, this, cue(Sfx::Reload));
    connect(m_character, &GameCharacter::hitGround, this, [this] {
        if (m_fastDropSounding)
            m_sounds->play(SoundBoard::Sfx::Land);
        m_fastDropSounding = false;
    });
    connect(m_monsterSystem, &MonsterSystem::saucerHit, this, cue(Sfx::SaucerHit));
    connect(m_monsterSystem, &MonsterSystem::ringLaunched, this, cue(Sfx::Ring));
    connect(m_monsterSystem, &MonsterSystem::fanLaunched, this, cue(Sfx::Fan));
    connect(m_monsterSystem, &MonsterSystem::rainLaunched, this, cue(Sfx::Rain));
    connect(m_monsterSystem, &MonsterSystem::headLaunched, this, cue(Sfx::HeadLaunch));
    connect(m_monsterSystem, &MonsterSystem::projectileHit, this, cue(Sfx::Hit));
    connect(m_monsterSystem, &MonsterSystem::projectileExploded, this, cue(Sfx::Explosion));
}

void Widget::connectObstacleSounds(Obstacle* obstacle) {
    connect(obstacle, &Obstacle::hitByBullet, m_sounds,
            [this] { m_sounds->play(SoundBoard::Sfx::Hit); });
    connect(obstacle, &Obstacle::exploded, m_sounds,
            [this] { m_sounds->play(SoundBoard::Sfx::Explosion); });
}

void Widget::playSlowMotionChange() {
    const bool on = m_deadEye->isActive();
    if (on == m_slowMotionSounding)
        return;
    m_slowMotionSounding = on;
    m_sounds->setSlowMotion(on);
    m_sounds->play(on ? SoundBoard::Sfx::SlowOn : SoundBoard::Sfx::SlowOff);
}

// The magazine decides whether a bullet leaves; an empty one clicks once per
// press of the left button.
void Widget::fire(QPointF aim) {
    const int loaded = m_bulletSystem->bulletCount();
    m_bulletSystem->shoot(m_gun->center(), QPoint(int(aim.x()), int(aim.y())));
    if (m_bulletSystem->bulletCount() < loaded) {
        m_sounds->play(SoundBoard::Sfx::Shot);
    } else if (loaded < 1 && !m_dryClickMade) {
        m_sounds->play(SoundBoard::Sfx::DryClick);
        m_dryClickMade = true;
    }
}

// ---------------------------------------------------------------- input

bool* Widget::keyFlag(int key) {
    return const_cast<bool*>(std::as_const(*this).keyFlag(key));
}

const bool* Widget::keyFlag(int key) const {
    for (Action action : m_controls->actionsFor(KeyboardKey{0, key})) {
        if (!Controls::isMenuAction(action))
            return const_cast<Widget*>(this)->heldFlag(action);
    }
    return nullptr;
}

bool* Widget::heldFlag(Action action) {
    switch (action) {
    case Action::Jump:
        return &m_keyJump;
    case Action::Down:
        return &m_keyDown;
    case Action::Left:
        return &m_keyLeft;
    case Action::Right:
        return &m_keyRight;
    case Action::Pause:
        return &m_keyEscape;
    case Action::Dash:
        return &m_keySkill;
    case Action::SlowMotion:
        return &m_keySlowMotion;
    case Action::Fire:
        return &m_keyFire;
    case Action::AimUp:
        return &m_keyAimUp;
    case Action::AimDown:
        return &m_keyAimDown;
    case Action::AimLeft:
        return &m_keyAimLeft;
    case Action::AimRight:
        return &m_keyAimRight;
    default:
        return nullptr;
    }
}

// A touchpad tap, or a quick key tap, sends its press and release between two
// ticks, which would then never see it: such a press stays held for exactly
// the next tick. A release that comes after a tick saw the press acts at once.
void Widget::pressFlag(bool& flag) {
    flag = true;
    if (!m_unseenPresses.contains(&flag))
        m_unseenPresses.append(&flag);
    m_earlyReleases.removeAll(&flag);
}

void Widget::releaseFlag(bool& flag) {
    if (!m_unseenPresses.contains(&flag))
        flag = false;
    else if (!m_earlyReleases.contains(&flag))
        m_earlyReleases.append(&flag);
}

void Widget::endInputTick() {
    for (const auto& [flag, held] : heldInputs()) {
        if (m_padOnly & flag)
            *held = false;
    }
    m_padOnly = 0;
    for (bool* flag : std::as_const(m_earlyReleases))
        *flag = false;
    m_earlyReleases.clear();
    m_unseenPresses.clear();
}

void Widget::keyPressEvent(QKeyEvent* event) {
    if (m_playback) {
        if (event->key() == Qt::Key_Escape)
            close();
        return;
    }
    m_controls->learnKeyName(*event);
    if (m_stage == Stage::Options && m_optionsScreen->isRemapping()) {
        if (!event->isAutoRepeat())
            m_optionsScreen->takeKey(Controls::keyOf(*event));
        return;
    }
    if (event->key() == Qt::Key_F11 && !event->isAutoRepeat())
        m_options->setFullScreen(!m_options->isFullScreen());
    const QList<Action> actions = m_controls->actionsFor(Controls::keyOf(*event));
    if (actions.isEmpty() && event->key() == Qt::Key_M && !event->isAutoRepeat())
        m_sounds->toggleMuted();
    // A held key repeats only the menu moves: a repeated Esc or Return must
    // not press on the screen its first press opened.
    for (Action action : actions) {
        // No key that pauses resumes the run: held on, it would pause it again at once.
        if (action == Action::Back && m_stage == Stage::Pause && actions.contains(Action::Pause))
            continue;
        const quint32 menuFlag = menuFlagOf(action);
        if (menuFlag && (!event->isAutoRepeat() || (menuFlag & kMenuMoves)))
            m_menuPresses |= menuFlag;
        else if (!menuFlag && !event->isAutoRepeat())
            pressFlag(*heldFlag(action));
    }
}

void Widget::keyReleaseEvent(QKeyEvent* event) {
    if (m_playback || event->isAutoRepeat())
        return;
    for (Action action : m_controls->actionsFor(Controls::keyOf(*event))) {
        if (!Controls::isMenuAction(action))
            releaseFlag(*heldFlag(action));
    }
}

void Widget::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (!m_playback)
        m_menuPresses |= StepInput::MouseMoved;
}

void Widget::mousePressEvent(QMouseEvent* event) {
    if (m_playback)
        return;
    m_mousePos = event->position();
    m_eventPointer = m_mousePos;
    if (event->button() == Qt::LeftButton)
        pressFlag(m_mouseLeft);
    else if (event->button() == Qt::RightButton)
        pressFlag(m_mouseRight);
}

void Widget::mouseReleaseEvent(QMouseEvent* event) {
    if (m_playback)
        return;
    m_mousePos = event->position();
    m_eventPointer = m_mousePos;
    if (event->button() == Qt::LeftButton)
        releaseFlag(m_mouseLeft);
    else if (event->button() == Qt::RightButton)
        releaseFlag(m_mouseRight);
}

void Widget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    releaseInput();
}

void Widget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        releaseInput();
}

// Keys released in another window never reach this one: forget them, and do
// not let the dinosaur run on unattended (the next step pauses a run).
void Widget::releaseInput() {
    if (m_playback)
        return;
    for (const auto& [flag, held] : heldInputs())
        *held = false;
    m_menuPresses = 0;
    endInputTick();
    m_focusLost = true;
}

void Widget::showCursor(bool aim) {
    if (m_cursorChosen && aim == m_aimCursorShown)
        return;
    setCursor(aim ? m_cursors.aimCursor : m_cursors.pointCursor);
    m_aimCursorShown = aim;
    m_cursorChosen = true;
}

void Widget::updateKeys() {
    if (m_stage != Stage::Run)
        return;
    if (m_keyJump && !m_character->isAirborne()) {
        m_character->setVy(kJumpSpeed);
        m_character->setAirborne(true);
        m_sounds->play(SoundBoard::Sfx::Jump);
    }
    if (m_keyDown) {
        if (m_character->isAirborne()) {
            if (!m_fastDropSounding)
                m_sounds->play(SoundBoard::Sfx::FastDrop);
            m_fastDropSounding = true;
            m_character->setVy(m_character->vy() + kFastFallPush);
            m_character->setFastFall(true);
        }
        if (m_character->posture() != Posture::Low)
            m_character->setPosture(Posture::Low);
    } else if (m_rush && !m_rush->isActive() && m_character->posture() != Posture::Upright) {
        m_character->setPosture(Posture::Upright);
    }
    if (m_keyLeft != m_keyRight && m_character->canMoveSideways())
        m_character->setVx(m_keyLeft ? -kSideSpeed : kSideSpeed);
    else
        m_character->setVx(0.0);
    if (m_keyEscape)
        gamePause();
    if (m_keySkill) {
        const bool dashing = m_rush->isActive();
        m_rush->start();
        if (!dashing && m_rush->isActive())
            m_sounds->play(SoundBoard::Sfx::Dash);
    }
}

void Widget::updateMouse() {
    showCursor(m_deadEye && m_deadEye->isActive());
    if (m_stage == Stage::Loading || m_stage == Stage::Story)
        return;
    if (m_stage == Stage::Run) {
        bool endTick = false;
        updateDeadEyeFromMouse(endTick);
        if (endTick)
            return;
    }
    if (m_stage == Stage::Options) {
        if (m_mouseLeft && !m_optionsClickHeld)
            m_optionsScreen->mousePress(m_mousePos, rect());
        m_optionsClickHeld = m_mouseLeft;
        return;
    }
    const int stageBefore = m_stage;
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (runButtonAction(m_buttons.at(i)) || m_stage != stageBefore)
            return;
    }
    if (m_optionsButton->isVisible())
        runButtonAction(m_optionsButton);
}

// The right button (or the slow-motion key) switches the slow motion; with the
// left one also held the gun fires towards the last click point, and each
// press of the fire key fires once towards the keys' crosshair.
void Widget::updateDeadEyeFromMouse(bool& endTick) {
    if (!m_mouseLeft)
        m_dryClickMade = false;
    if (m_deadEye->energy() < kMinDeadEyeEnergy)
        stopDeadEye();
    const bool firePressed = m_keyFire && !m_fireKeyWasHeld;
    m_fireKeyWasHeld = m_keyFire;
    const bool keyHolds = slowMotionHeld();
    m_aimByKeys = keyHolds && !m_mouseRight;
    if (m_aimByKeys && m_deadEye->isActive())
        moveAim();
    if (m_mouseRight || keyHolds) {
        if (m_mouseLeft || firePressed) {
            if (m_deadEye->isActive())
                fire(m_mouseLeft ? m_mousePos : m_aimPoint);
        } else if (!m_deadEye->isActive() && m_deadEye->energy() >= kMinDeadEyeEnergy) {
            m_deadEye->activate(kDeadEyeFactor);
            m_environment->setSpeed(kDeadEyeFactor * m_baseSpeed);
            endTick = true;
        }
    } else if (m_deadEye->isActive()) {
        stopDeadEye();
    }
}

// Whether the slow-motion key asks for the slow motion: held, or in toggle
// mode switched on by a press and not stopped since, by a press or by the game.
bool Widget::slowMotionHeld() {
    const bool pressed = m_keySlowMotion && !m_slowKeyWasHeld;
    m_slowKeyWasHeld = m_keySlowMotion;
    if (!m_options->isSlowMotionToggled())
        return m_keySlowMotion;
    if (m_slowMotionLatched && !m_deadEye->isActive())
        m_slowMotionLatched = false;
    if (pressed)
        m_slowMotionLatched = !m_slowMotionLatched;
    return m_slowMotionLatched;
}

void Widget::moveAim() {
    const QPointF move((m_keyAimRight - m_keyAimLeft) * kAimStep,
                       (m_keyAimDown - m_keyAimUp) * kAimStep);
    m_aimPoint = QPointF(std::clamp(m_aimPoint.x() + move.x(), 0.0, double(width() - 1)),
                         std::clamp(m_aimPoint.y() + move.y(), 0.0, double(height() - 1)));
}

// The menu keys of a step on a screen with buttons: a move only shows the
// focus while it is hidden; confirm presses the focused button and back the
// screen's way out, each as a click on it would. In the story, which has no
// buttons, confirm hurries the shown text on.
void Widget::takeMenuActions(quint32 flags) {
    if (m_optionsOffered && (flags & (kMenuFlags | StepInput::MouseMoved)))
        m_optionsButton->setVisible(true);
    if (flags & StepInput::MouseMoved)
        m_focusShown = false;
    if (!(flags & kMenuFlags)) {
        m_optionsScreen->setFocusShown(m_focusShown);
        return;
    }
    if (m_stage == Stage::Story) {
        if ((flags & StepInput::Confirm) && m_textList)
            m_textList->hurry();
        return;
    }
    const bool wasShown = m_focusShown;
    m_focusShown = true;
    if (m_stage == Stage::Options) {
        m_optionsScreen->setFocusShown(true);
        for (int i = 0; i < 6 && m_stage == Stage::Options; ++i) {
            if (flags & (quint32(StepInput::MenuUp) << i))
                m_optionsScreen->handle(Action(int(Action::MenuUp) + i));
        }
        return;
    }
    if (flags & StepInput::Back)
        pressByKey(button(backButtonId()), Action::Back);
    else if (flags & StepInput::Confirm)
        pressByKey(focusedButton(), Action::Confirm);
    else if (wasShown)
        moveFocus(flags & (StepInput::MenuDown | StepInput::MenuRight) ? 1 : -1);
}

// The key that pressed stays held, and may also be a run key (Esc pauses,
// Space jumps): the screen it opens must not take that as a new order.
void Widget::pressByKey(GameButton* pressed, Action action) {
    if (!runButtonAction(pressed, true))
        return;
    for (const KeyboardKey& key : m_controls->keys(action)) {
        for (Action held : m_controls->actionsFor(key)) {
            if (!Controls::isMenuAction(held))
                *heldFlag(held) = false;
        }
    }
}

QList<GameButton*> Widget::focusableButtons() const {
    QList<GameButton*> shown;
    for (GameButton* candidate : m_buttons) {
        if (candidate && candidate->isVisible())
            shown.append(candidate);
    }
    if (m_optionsButton->isVisible())
        shown.append(m_optionsButton);
    return shown;
}

// Painted with every frame that shows the focus: found without building a list.
GameButton* Widget::focusedButton() const {
    GameButton* first = nullptr;
    const auto consider = [this, &first](GameButton* candidate) {
        if (!candidate || !candidate->isVisible())
            return false;
        if (!first)
            first = candidate;
        return candidate->id == m_focusId;
    };
    for (GameButton* candidate : m_buttons) {
        if (consider(candidate))
            return candidate;
    }
    return consider(m_optionsButton) ? m_optionsButton : first;
}

void Widget::moveFocus(int direction) {
    const QList<GameButton*> shown = focusableButtons();
    if (shown.isEmpty())
        return;
    const int at = int(shown.indexOf(focusedButton()));
    m_focusId = shown.at((at + direction + shown.size()) % shown.size())->id;
}

int Widget::backButtonId() const {
    switch (m_stage) {
    case Stage::Pause:
        return ButtonId::Continue;
    case Stage::Upgrade:
        return ButtonId::Quit;
    default:
        return 0;
    }
}

// Returns true when the action changed the stage, which ends the scan: the
// old screen's buttons may be gone. A menu key presses without the pointer.
bool Widget::runButtonAction(GameButton* button, bool pressedByKey) {
    if (!button || (!pressedByKey && !button->rect().contains(m_mousePos)))
        return false;
    const int stageBefore = m_stage;
    const int id = button->id;
    if (m_stage == Stage::Run) {
        if (id == ButtonId::Pause)
            gamePause();
        if (m_stage != stageBefore)
            m_sounds->play(SoundBoard::Sfx::Button);
        return m_stage != stageBefore;
    }
    if (!m_mouseLeft && !pressedByKey)
        return false;
    switch (m_stage) {
    case Stage::Menu:
        if (id == ButtonId::Start)
            gameStart();
        else if (id == ButtonId::Quit)
            gameQuit();
        else if (id == ButtonId::Teach)
            gameTeach();
        else if (id == ButtonId::Upgrade)
            gameUpgrade();
        else if (id == ButtonId::Options)
            gameOptions();
        break;
    case Stage::Pause:
        if (id == ButtonId::Continue) {
            gameContinue();
        } else if (id == ButtonId::Home) {
            bankScore();
            forgetDeathBeforePause();
            gameMenu();
        } else if (id == ButtonId::Options) {
            gameOptions();
        }
        break;
    case Stage::GameOver:
    case Stage::Win:
        if (id == ButtonId::Restart && button->isVisible())
            gameRestart();
        break;
    case Stage::Tutorial:
        if (id == ButtonId::Start)
            gameMenu();
        break;
    case Stage::Upgrade:
        if (id == ButtonId::Quit) {
            gameMenu();
        } else if (id == ButtonId::Confirm && button->isVisible()) {
            characterUpgrade();
            gameMenu();
        }
        break;
    default:
        break;
    }
    if (m_stage != stageBefore)
        m_sounds->play(SoundBoard::Sfx::Button);
    return m_stage != stageBefore;
}

// ---------------------------------------------------------------- frame loop

void Widget::updateScene() {
    m_groundLine = kGroundLineRatio * frameHeight();
    m_environment->setScreenRect(rect());
    if (m_rush && m_deadEye && !m_rush->isActive() && !m_deadEye->isActive())
        m_environment->setSpeed(m_baseSpeed);
    if (m_saveNoticeSteps > 0)
        --m_saveNoticeSteps;
    const int stageBefore = m_stage;
    if (m_stage == Stage::Run)
        updateKeys();
    updateMouse();
    // The run reads its own keys; a screen the mouse just left is not pressed again.
    if (m_stage == stageBefore && m_stage != Stage::Run && m_stage != Stage::Loading)
        takeMenuActions(m_stepFlags);
    endInputTick();
    updatePosition();
    updateBars();
    updateBullets();
    updateMonsterState();
    updateMonsterAttack();
    if (!m_paused && !m_gameOver) {
        checkHealth();
        updateMovement();
        updateAnimation();
        updateSkill();
    }
    advancePictures();
}

// The fades and the approach swoop move once per step, never per repaint, so an
// expose or a fast screen cannot speed them up.
void Widget::advancePictures() {
    switch (m_stage) {
    case Stage::Story:
        if (m_textList)
            m_textList->advance();
        break;
    case Stage::Run:
    case Stage::Pause:
    case Stage::GameOver:
        m_monsterSystem->advanceApproach();
        fadeVeil();
        break;
    case Stage::Win:
        m_monsterSystem->advanceApproach();
        m_environment->advanceEnd();
        break;
    case Stage::Upgrade:
        layoutUpgrade();
        break;
    default:
        break;
    }
}

void Widget::fadeVeil() {
    QColor& veil = m_deadEye->veilColor;
    if (m_deadEye->isActive() && veil.alpha() < kVeilMaxAlpha)
        veil.setAlpha(veil.alpha() + kVeilStep);
    else if (!m_deadEye->isActive() && veil.alpha() > 0)
        veil.setAlpha(veil.alpha() - kVeilStep);
}

void Widget::updateEnvironment() {
    m_environment->updateState(m_groundLine);
}

void Widget::updateBullets() {
    if (m_bulletSystem)
        m_bulletSystem->updateState();
}

void Widget::updateSkill() {
    m_rush->update();
}

void Widget::updateMonsterState() {
    if (m_stage != Stage::Run && m_stage != Stage::Win)
        return;
    const int before = m_monsterSystem->state();
    m_monsterSystem->updateState();
    if (before != BossState::Approach && m_monsterSystem->state() == BossState::Approach) {
        m_sounds->play(SoundBoard::Sfx::SaucerApproach);
        m_sounds->setMusic(SoundBoard::Music::Boss);
    }
}

void Widget::updateMonsterAttack() {
    if (m_stage == Stage::Run)
        m_monsterSystem->updateAttack();
}

void Widget::updateScores() {
    if (m_stage == Stage::Run)
        m_scoreBoard->addScore(1);
}

void Widget::updateBars() {
    if (m_stage == Stage::Loading) {
        const QList<Ground*>& grounds = m_environment->grounds();
        if (!grounds.isEmpty() && grounds.first() && m_progressBar) {
            const double w = width();
            const double x = grounds.first()->p1().x();
            m_progressBar->setProgress(std::max(m_progressBar->progress(), (w - x) / w));
        }
    } else if (m_stage == Stage::Run) {
        m_statusBar->updateBars();
        m_monsterSystem->updateBar();
    }
}

void Widget::updatePosition() {
    const double h = m_character->sheet().height();
    if (m_stage == Stage::Loading) {
        if (!m_progressBar)
            return;
        m_progressBar->placeBelowCenter(rect());
        const double p = m_progressBar->progress();
        if (p > 0) {
            const QPointF bar = m_progressBar->position();
            m_character->setPosition(
                QPointF(bar.x() + p * m_progressBar->width() - 0.5 * m_character->width(),
                        bar.y() - h - kLoadingBarLift));
        }
    } else if (m_stage == Stage::Menu) {
        m_character->setPosition(QPointF(GameCharacter::kHomeRatio * width(), -h - 1));
        m_character->setGroundY(-h);
    } else if (m_stage == Stage::Run) {
        m_character->setGroundY(-h + m_groundLine + kCharacterFootDepth);
        m_statusBar->updatePosition(rect());
        m_scoreBoard->setBottomRight(
            QPointF(kScoreRightRatio * width(), kScoreTopRatio * m_scoreBoard->height()));
        m_monsterSystem->updatePosition();
    }
}

void Widget::updateMovement() {
    if (m_stage == Stage::Win)
        return;
    const double speed = m_environment->speed();
    for (Obstacle* cactus : std::as_const(m_cactusList))
        cactus->setSpeed(speed);
    for (Obstacle* bird : std::as_const(m_birdList))
        bird->setSpeed(kBirdSpeedRatio * speed);
    m_environment->updateMovement();
    moveObstacles();
    m_bulletSystem->updateMovement();
    if (m_character) {
        m_character->fall();
        m_character->horizontal_shift();
        m_character->move_to(m_environment->speed());
        m_character->updateCrashBox(m_character->posture());
    }
}

void Widget::moveObstacles() {
    for (Obstacle* cactus : std::as_const(m_cactusList))
        cactus->shift();
    // Birds are kept as obstacles but must take their own step, which also drops them.
    for (Obstacle* bird : std::as_const(m_birdList))
        asBird(bird)->shift();
}

void Widget::updateAnimation() {
    if (m_animationTick != 0) {
        m_animationTick = m_animationTick == 2 ? 0 : m_animationTick + 1;
        return;
    }
    m_animationTick = 1;

    switch (m_stage) {
    case Stage::Loading:
        m_character->setFrame(m_character->animation()->play());
        break;
    case Stage::Menu:
        for (Obstacle* bird : std::as_const(m_birdList)) {
            if (bird->animation)
                bird->frame = bird->animation->play();
        }
        for (Obstacle* cactus : std::as_const(m_cactusList))
            cactus->frame = cactus->image();
        break;
    case Stage::Run:
    case Stage::Win:
    case Stage::Upgrade:
        m_character->setFrame(m_character->animation()->play());
        m_gun->setFrame(m_gun->animation()->play());
        animateObstacles();
        m_monsterSystem->updateAnimation();
        paceAnimations();
        break;
    default:
        break;
    }
}

void Widget::animateObstacles() {
    for (Obstacle* bird : std::as_const(m_birdList))
        bird->advanceFrame();
    // A cactus has no animation of its own: its picture is its frame.
    for (Obstacle* cactus : std::as_const(m_cactusList)) {
        if (cactus->exploding)
            cactus->advanceFrame();
        else
            cactus->frame = cactus->image();
    }
}

// Written after the frames are taken, so an explosion that starts during
// DeadEye makes its first step at full pace.
void Widget::paceAnimations() {
    int oneTick = 1;
    int twoTicks = 2;
    if (m_deadEye) {
        const double f = m_deadEye->timeFactor();
        oneTick = int(1.0 / f);
        twoTicks = int(2.0 / f);
    }
    for (Obstacle* cactus : std::as_const(m_cactusList)) {
        if (cactus->animation)
            cactus->animation->ticksPerFrame = oneTick;
        if (cactus->exploding)
            cactus->explosion->ticksPerFrame = oneTick;
    }
    for (Obstacle* bird : std::as_const(m_birdList)) {
        if (bird->animation)
            bird->animation->ticksPerFrame = twoTicks;
        if (bird->exploding)
            bird->explosion->ticksPerFrame = oneTick;
    }
    m_character->animation()->ticksPerFrame = oneTick;
}

// ---------------------------------------------------------------- obstacles

void Widget::updateObstacles() {
    removeObstacles();
    if (m_stage != Stage::Win) {
        spawnCactus();
        spawnBird();
    }
}

// Only once the whole shown frame has left the window; one of each kind per call.
void Widget::removeObstacles() {
    for (QList<Obstacle*>* list : {&m_cactusList, &m_birdList}) {
        for (int i = 0; i < list->size(); ++i) {
            Obstacle* obstacle = list->at(i);
            if (obstacle->pos().x() < -obstacle->frame.width()) {
                list->removeAt(i);
                delete obstacle;
                break;
            }
        }
    }
}

void Widget::spawnCactus() {
    if (m_cactusList.size() > kMaxCactiBeforeSpawn)
        return;
    const double right = rect().right();
    if (!m_cactusList.isEmpty() && right - m_cactusList.last()->pos().x() < kCactusGap)
        return;
    if (m_random.bounded(1, kSpawnDraw) <= kCactusSkipAtMost)
        return;
    auto* cactus = new Cacti(this, m_random);
    cactus->wire(m_character, m_bulletSystem, m_scoreBoard);
    connectObstacleSounds(cactus);
    cactus->setPos(QPointF(right, m_groundLine - cactus->height() + kCactusFootDepth));
    m_cactusList.append(cactus);
}

void Widget::spawnBird() {
    if (m_birdList.size() > kMaxBirdsBeforeSpawn)
        return;
    const double right = rect().right();
    const double characterWidth = m_character->width();
    if (!m_cactusList.isEmpty() &&
        right - m_cactusList.last()->pos().x() < kBirdGapAfterCactus * characterWidth)
        return;
    if (!m_birdList.isEmpty() &&
        right - m_birdList.last()->pos().x() < kBirdGapAfterBird * characterWidth)
        return;
    if (m_random.bounded(1, kSpawnDraw) <= kBirdSkipAtMost)
        return;
    auto* bird = new Bird(this);
    bird->wire(m_character, m_bulletSystem, m_scoreBoard);
    connectObstacleSounds(bird);
    const double h = bird->height();
    const int low = int(m_groundLine - h - kBirdHighest);
    const int high = int(m_groundLine - h - kBirdLowest);
    bird->setPos(QPointF(right, m_random.bounded(low, high)));
    m_birdList.append(bird);
}

// ---------------------------------------------------------------- painting

void Widget::rememberPositions() {
    m_environment->rememberPositions();
    for (const QList<Obstacle*>* list : {&m_cactusList, &m_birdList}) {
        for (Obstacle* obstacle : *list)
            obstacle->motion.remember(obstacle->pos());
    }
    m_character->motion.remember(m_character->position());
    m_bulletSystem->rememberPositions();
    m_monsterSystem->rememberPositions();
}

QPointF Widget::drawnAt(const Obstacle* obstacle) const {
    return obstacle->motion.drawnAt(obstacle->pos(), m_fraction);
}

void Widget::paintEvent(QPaintEvent*) {
    m_fraction = m_clock->isPaced() ? m_clock->fraction() : m_drawFraction;
    QPainter painter(this);
    paintScreen(painter);
    paintSaveNotice(painter);
}

void Widget::paintScreen(QPainter& painter) {
    const int stage = m_stage;
    if (stage == Stage::Story) {
        m_environment->paintWhiteBackground(painter);
        if (m_textList)
            m_textList->display(painter);
        return;
    }
    if (stage == Stage::Tutorial) {
        paintTutorial(painter);
        return;
    }
    if (stage == Stage::Loading) {
        m_environment->paintWhiteBackground(painter);
        if (m_progressBar)
            m_progressBar->paint(painter);
        painter.drawPixmap(m_character->motion.drawnAt(m_character->position(), m_fraction),
                           m_character->frame());
        return;
    }

    paintWorld(painter);
    switch (stage) {
    case Stage::Upgrade:
        paintUpgrade(painter);
        return;
    case Stage::Options:
        m_optionsScreen->paint(painter, rect());
        return;
    case Stage::Menu:
        paintMenuScore(painter);
        break;
    case Stage::Run:
    case Stage::Pause:
    case Stage::GameOver:
        paintRunningStage(painter);
        break;
    case Stage::Win:
        paintWinStage(painter);
        break;
    default:
        break;
    }
    paintButtons(painter);
}

// Centred at the bottom edge, which every screen leaves free: under the
// buttons of the menu and the pause screen, beside the status panel.
void Widget::paintSaveNotice(QPainter& painter) {
    if (m_saveNoticeSteps <= 0)
        return;
    painter.setFont(QFont(kTextFontFamily, kUpgradeFontSize));
    painter.setPen(kInkColor);
    const QRect strip(0, height() - kSaveNoticeMargin - kSaveNoticeHeight, width(),
                      kSaveNoticeHeight);
    painter.drawText(strip, Qt::AlignCenter, tr("无法保存"));
}

void Widget::paintTutorial(QPainter& painter) {
    painter.resetTransform();
    const QPixmap& guide = fittedGuideImage();
    const int x = width() / 2 - guide.width() / 2;
    const double y = height() / kTutorialCentreDivisor - guide.height() / 2;
    painter.drawPixmap(QPointF(x, int(y)), guide);
    paintButtons(painter);
}

// On a small screen the guide, centred at 40 % of the height, would reach
// above the window or under the start button: it is then shrunk about the
// same centre, scaled smoothly once per window size.
const QPixmap& Widget::fittedGuideImage() {
    const GameButton* start = button(ButtonId::Start);
    if (m_guideImage.isNull() || !start)
        return m_guideImage;
    const double centreY = height() / kTutorialCentreDivisor;
    const double halfHeight = std::min(centreY, start->rect().top() - centreY);
    const QSize room(std::min(width(), m_guideImage.width()),
                     std::min(int(2 * halfHeight), m_guideImage.height()));
    if (room == m_guideImage.size())
        return m_guideImage;
    const QSize fitted = m_guideImage.size().scaled(room, Qt::KeepAspectRatio);
    if (m_fittedGuide.size() != fitted)
        m_fittedGuide = m_guideImage.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return m_fittedGuide;
}

void Widget::paintWorld(QPainter& painter) {
    painter.setPen(
        QPen(kGroundPenColor, kGroundPenWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    m_environment->paintEnvironment(painter, m_fraction);
    paintObstacles(painter);
}

void Widget::paintObstacles(QPainter& painter) {
    for (const Obstacle* cactus : std::as_const(m_cactusList)) {
        const QPixmap& frame = cactus->frame;
        if (cactus->exploding) {
            const QPixmap sheet = cactus->image();
            const QPointF at = drawnAt(cactus);
            painter.drawPixmap(QPointF(at.x() + sheet.width() / 2 - frame.width() / 2,
                                       at.y() + sheet.height() / 2 - frame.height() / 2),
                               frame);
        } else if (frame.width() != frame.height()) {
            painter.drawPixmap(drawnAt(cactus), frame);
        }
    }
    const double drift = m_environment->speed();
    for (Obstacle* obstacle : std::as_const(m_birdList)) {
        const Bird* bird = asBird(obstacle);
        const QPixmap& frame = bird->frame;
        if (bird->exploding) {
            const double frameWidth = bird->animation ? bird->animation->frameWidth : 0.0;
            const QPixmap sheet = bird->image();
            painter.drawPixmap(
                QPointF(bird->hitPos().x() + frameWidth * 0.5 - frame.width() / 2 -
                            bird->dropCount() * drift,
                        bird->hitPos().y() + sheet.height() / 2 - frame.height() / 2),
                frame);
        } else if (frame.width() != frame.height()) {
            painter.drawPixmap(drawnAt(bird), frame);
        }
    }
}

void Widget::paintVeil(QPainter& painter) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(m_deadEye->veilColor));
    const QRect whole = rect();
    painter.drawRects(&whole, 1);
    painter.restore();
}

// The gun rides on the dinosaur, and is drawn moved as far as it is.
void Widget::paintCharacterAndGun(QPainter& painter) {
    const QPointF at = m_character->motion.drawnAt(m_character->position(), m_fraction);
    painter.drawPixmap(at, m_character->frame());
    painter.drawPixmap(m_gun->position() + (at - m_character->position()), m_gun->frame());
}

void Widget::paintRunningStage(QPainter& painter) {
    const bool bossInFront = m_monsterSystem->state() == BossState::Approach;
    if (!bossInFront)
        m_monsterSystem->paint(painter, m_fraction);
    paintVeil(painter);
    paintCharacterAndGun(painter);
    m_bulletSystem->paintBullets(painter, m_fraction);
    if (bossInFront)
        m_monsterSystem->paint(painter, m_fraction);
    m_statusBar->paint(painter);
    m_scoreBoard->paint(painter);
    paintKeyCrosshair(painter);
}

void Widget::paintWinStage(QPainter& painter) {
    m_monsterSystem->paint(painter, m_fraction);
    paintCharacterAndGun(painter);
    m_bulletSystem->paintBullets(painter, m_fraction);
    m_scoreBoard->paint(painter);
    paintWin(painter);
}

void Widget::paintButtons(QPainter& painter) {
    for (GameButton* button : std::as_const(m_buttons)) {
        if (button)
            button->paint(painter);
    }
    if (m_optionsButton->isVisible())
        m_optionsButton->paint(painter);
    paintFocus(painter);
}

void Widget::paintFocus(QPainter& painter) {
    if (!m_focusShown || m_stage == Stage::Run)
        return;
    if (const GameButton* focused = focusedButton())
        paintFocusFrame(painter, focused->rect());
}

// The keys' crosshair, as the mouse's aim cursor would show it there.
void Widget::paintKeyCrosshair(QPainter& painter) {
    if (!m_aimByKeys || !m_deadEye->isActive())
        return;
    const QPixmap picture = m_cursors.aimCursor.pixmap();
    painter.drawPixmap(m_aimPoint - QPointF(m_cursors.aimCursor.hotSpot()), picture);
}

void Widget::paintWin(QPainter& painter) {
    m_environment->paintEnd(painter);
}

void Widget::paintMenuScore(QPainter& painter) {
    const int w = width();
    const int h = height();
    painter.setFont(QFont(kTextFontFamily, kMenuFontSize));
    painter.setPen(kInkColor);
    painter.drawText(QRect(QPoint(0, 0), QPoint(w, h / 8)), Qt::AlignCenter | Qt::TextWordWrap,
                     tr("能量精粹"));
    placeEssence();
    m_essenceDisplay->paint(painter);
}

void Widget::placeEssence() {
    m_essenceDisplay->setPos(
        QPointF(width() / 2 - m_essenceDisplay->totalWidth() * 0.5, height() / 8));
}

// The panel of the upgrade screen, under the essence display.
QRectF Widget::upgradePanel() const {
    const int w = width();
    const int h = height();
    const QPointF digitsTopLeft = m_essenceDisplay->pos();
    const QPointF digitsBottomRight = m_essenceDisplay->bottomRight();
    const double x = digitsTopLeft.x() - w / 10;
    const double y = h / 8 + digitsBottomRight.y();
    const double panelWidth = w / 10 + digitsBottomRight.x() - x;
    const double panelHeight = (h / 3 + y) - y;
    return QRectF(x, y, panelWidth, panelHeight);
}

// A step lays the screen out, so that its clicks hit the same buttons whether
// or not a frame is drawn; the confirm button hides while the bank cannot pay.
void Widget::layoutUpgrade() {
    placeEssence();
    const QRectF panel = upgradePanel();
    const double x = panel.x();
    const double y = panel.y();
    const QRect area(
        QPoint(qRound(x), int(qRound(y + 0.5 * panel.height()) + 0.25 * panel.height())),
        QPoint(qRound(x + panel.width()), qRound(y + panel.height())));
    for (GameButton* button : std::as_const(m_buttons)) {
        if (!button)
            continue;
        if (button->id == ButtonId::Quit) {
            button->centerInRightHalf(area);
        } else if (button->id == ButtonId::Confirm) {
            button->centerInLeftHalf(area);
            if (m_bank < upgradePrice(m_character->level()))
                button->setVisible(false);
        }
    }
}

void Widget::paintUpgrade(QPainter& painter) {
    paintMenuScore(painter);
    const int level = m_character->level();
    const qint64 price = upgradePrice(level);

    painter.setFont(QFont(kTextFontFamily, kUpgradeFontSize));
    painter.setPen(QPen(kInkColor, kPanelPenWidth));
    painter.setBrush(QBrush(kPanelFill));
    const QRectF panel = upgradePanel();
    const double x = panel.x();
    const double y = panel.y();
    const double panelWidth = panel.width();
    const double panelHeight = panel.height();
    painter.drawRects(&panel, 1);

    const double rowHeight = (y + panelHeight - 0.75 * panelHeight) - y;
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    painter.drawText(QRectF(x, y, panelWidth, rowHeight), flags, tr("当前等级为：%1").arg(level));
    painter.drawText(QRectF(x, y + 0.25 * panelHeight, panelWidth, rowHeight), flags,
                     tr("升级效果:%1").arg(upgradeText(level)));
    painter.drawText(QRectF(x, y + 0.5 * panelHeight, panelWidth, rowHeight), flags,
                     tr("升级所需能量精粹:%1").arg(price));

    for (GameButton* button : std::as_const(m_buttons)) {
        if (button && (button->id == ButtonId::Quit || button->id == ButtonId::Confirm))
            button->paint(painter);
    }
    paintFocus(painter);
}
