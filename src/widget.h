#pragma once

#include "cursors.h"
#include "gameids.h"
#include "gamerandom.h"
#include "replay.h"

#include <QList>
#include <QPixmap>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <utility>

class BulletSystem;
class Controls;
class DeadEye;
class EnvironmentSystem;
class GameClock;
class GameButton;
class GameCharacter;
class GameOptions;
class Gamepad;
struct PadReading;
class Gun;
class MonsterSystem;
class OptionsScreen;
class NumberSet;
class Obstacle;
class ProgressBar;
class Rush;
class ScoreBoard;
class SoundBoard;
class StatusBar;
class StepTimer;
class TextList;

// The one game window: owns every game object, runs the frame loop, switches
// between the nine screens (stages) and turns input into actions once per tick.
//
// Stages: 0 loading, 1 menu, 2 running game, 3 pause, 4 game over, 5 win,
// 6 intro story, 7 tutorial, 8 upgrade screen.
class Widget : public QWidget {
    Q_OBJECT
public:
    explicit Widget(QWidget* parent = nullptr);
    ~Widget() override;

    // The bank: the saved number, or the one a failed save keeps in play.
    int readEssence() const;
    void writeEssence(int value);

    // Read access for the game's own tools (tests, benchmark, soak driver).
    int stage() const { return m_stage; }
    bool isPaused() const { return m_paused; }
    bool isGameOver() const { return m_gameOver; }
    bool isFirstStart() const { return m_firstStart; }
    double groundLine() const { return m_groundLine; }
    double baseSpeed() const { return m_baseSpeed; }
    QPointF mousePos() const { return m_mousePos; }
    bool isKeyHeld(int key) const;
    bool isMouseButtonHeld(Qt::MouseButton button) const;
    const QList<GameButton*>& buttons() const { return m_buttons; }
    // The options button of the menu and the pause screen included.
    GameButton* button(int id) const;
    const QList<Obstacle*>& cactusList() const { return m_cactusList; }
    const QList<Obstacle*>& birdList() const { return m_birdList; }
    ProgressBar* progressBar() const { return m_progressBar.get(); }
    TextList* textList() const { return m_textList; }
    StatusBar* statusBar() const { return m_statusBar; }
    GameCharacter* character() const { return m_character; }
    EnvironmentSystem* environment() const { return m_environment; }
    MonsterSystem* monsterSystem() const { return m_monsterSystem; }
    DeadEye* deadEye() const { return m_deadEye; }
    Gun* gun() const { return m_gun; }
    BulletSystem* bulletSystem() const { return m_bulletSystem; }
    ScoreBoard* scoreBoard() const { return m_scoreBoard; }
    NumberSet* essenceDisplay() const { return m_essenceDisplay; }
    Rush* rush() const { return m_rush.get(); }
    SoundBoard* sounds() const { return m_sounds; }
    const Cursors& cursors() const { return m_cursors; }
    const QPixmap& guideImage() const { return m_guideImage; }
    Controls* controls() const { return m_controls; }
    GameOptions* options() const { return m_options; }
    OptionsScreen* optionsScreen() const { return m_optionsScreen; }
    Gamepad* gamepad() const { return m_gamepad; }
    // Full screen, or the window over the screen's available area.
    void applyFullScreen(bool on);
    // The button the menu keys would press: the first shown one until a key
    // moves the focus. Its frame shows once a menu key has been used and
    // hides while the mouse moves.
    GameButton* focusedButton() const;
    bool isFocusShown() const { return m_focusShown; }
    // Where the crosshair keys aim, and whether the slow motion they hold is drawn there.
    QPointF aimPoint() const { return m_aimPoint; }
    bool isAimedByKeys() const { return m_aimByKeys; }
    // "Could not save" is on the screen.
    bool isSaveNoticeShown() const { return m_saveNoticeSteps > 0; }
    // Every random draw of the game; reseeded at each run's start.
    GameRandom& random() { return m_random; }
    // Every run (and the screens before the first) starts from this seed
    // instead of one taken from the system's entropy.
    void setFixedSeed(quint64 seed);

    // Keeps every finished run as last.replay and the best as best.replay, in
    // the working directory.
    void recordReplays();
    const Replay* recording() const { return m_recording.get(); }
    // Plays a recorded session instead of the player's input; the window must
    // be fresh, built over the replay's saved files.
    void playReplay(const Replay& replay);
    bool isReplaying() const { return m_playback.has_value(); }
    // How far between the last two steps an unpaced window draws moving
    // things (1: where they are now, as a step leaves them).
    void setDrawFraction(double fraction) { m_drawFraction = fraction; }

    GameClock* clock() const { return m_clock; }
    // Every timer of the game, in the order each step serves them.
    const QList<StepTimer*>& timers() const;

signals:
    // A run has ended (death, win or home) and its score is banked.
    void runFinished(int score);

public slots:
    void updateScene();
    void updateEnvironment();
    void updateObstacles();
    void updateBullets();
    void updateAnimation();
    void updateMovement();
    void updatePosition();
    void updateSkill();
    void updateMonsterState();
    void updateMonsterAttack();
    void updateBars();
    void updateScores();
    void updateKeys();
    void updateMouse();
    void updateUpgrade();
    void gamePause();
    void gameContinue();
    void gameEnd();
    void gameRestart();
    void gameStart();
    void gameMenu();
    void gameWin();
    void gameIntro();
    void gameTeach();
    void gameQuit();
    void gameUpgrade();
    void gameOptions();
    void changeToStage(int type);
    void checkHealth();
    void decreaseHealth(double amount);
    void paintWin(QPainter& painter);
    void paintMenuScore(QPainter& painter);
    void paintUpgrade(QPainter& painter);
    void characterUpgrade();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createTimers();
    StepTimer* makeTimer(int interval, void (Widget::*slot)(), const char* name);
    void advancePictures();
    void fadeVeil();
    void placeEssence();
    QRectF upgradePanel() const;
    void layoutUpgrade();

    quint64 nextRunSeed();
    void takeStepInput();
    void rememberPositions();
    QPointF drawnAt(const Obstacle* obstacle) const;
    StepInput liveInput();
    quint32 padFlags(const PadReading& reading);
    void applyInput(const StepInput& input);
    void keepReplay(int score);
    int frameHeight() const;

    void enterLoading();
    void enterMenu();
    void enterRun();
    void enterPause();
    void enterGameOver();
    void enterWin();
    void enterStory();
    void enterTutorial();
    void enterUpgradeScreen();
    void enterOptions();
    void connectOptions();
    void showOptionsButton();
    QList<GameButton*> focusableButtons() const;

    GameButton* addButton(const QString& picture, int id);
    GameButton* takeOverButton(int id, const QString& picture);
    void clearButtons();
    void bankScore();
    void showEssence(int bank);
    void recordLevelSave(bool saved);
    void noticeFailedSave();
    void stopDeadEye();
    void explodeObstacles();
    void connectSounds();
    void connectObstacleSounds(Obstacle* obstacle);
    void fire(QPointF aim);
    bool slowMotionHeld();
    void moveAim();
    void takeMenuActions(quint32 flags);
    void moveFocus(int direction);
    void pressByKey(GameButton* pressed, Action action);
    int backButtonId() const;
    void paintFocus(QPainter& painter);
    void paintKeyCrosshair(QPainter& painter);
    bool* heldFlag(Action action);
    // Each held flag of the step input with the field it records.
    std::array<std::pair<quint32, bool*>, 14> heldInputs();
    void playSlowMotionChange();
    void endInterruptedDash();
    void forgetDeathBeforePause();

    void updateDeadEyeFromMouse(bool& endTick);
    bool runButtonAction(GameButton* button, bool pressedByKey = false);

    void removeObstacles();
    void spawnCactus();
    void spawnBird();
    void moveObstacles();
    void animateObstacles();
    void paceAnimations();

    void paintScreen(QPainter& painter);
    void paintSaveNotice(QPainter& painter);
    void paintWorld(QPainter& painter);
    void paintObstacles(QPainter& painter);
    void paintVeil(QPainter& painter);
    void paintCharacterAndGun(QPainter& painter);
    void paintRunningStage(QPainter& painter);
    void paintWinStage(QPainter& painter);
    void paintButtons(QPainter& painter);
    void paintTutorial(QPainter& painter);

    void showCursor(bool aim);
    void releaseInput();
    const bool* keyFlag(int key) const;
    bool* keyFlag(int key);
    void pressFlag(bool& flag);
    void releaseFlag(bool& flag);
    void endInputTick();
    void endSlowMotion();
    const QPixmap& fittedGuideImage();

    int m_stage = 0;
    bool m_keyJump = false;
    bool m_keyDown = false;
    bool m_keyLeft = false;
    bool m_keyRight = false;
    bool m_keyEscape = false;
    bool m_keySkill = false;
    bool m_mouseLeft = false;
    bool m_mouseRight = false;
    bool m_keySlowMotion = false;
    bool m_keyFire = false;
    bool m_keyAimUp = false;
    bool m_keyAimDown = false;
    bool m_keyAimLeft = false;
    bool m_keyAimRight = false;
    // Menu keys pressed and mouse moves since the last step; what this step took.
    quint32 m_menuPresses = 0;
    quint32 m_stepFlags = 0;
    int m_focusId = 0;
    bool m_focusShown = false;
    QPointF m_aimPoint;
    bool m_aimByKeys = false;
    // The slow motion switched on by a press of its key in toggle mode.
    bool m_slowMotionLatched = false;
    bool m_slowKeyWasHeld = false;
    bool m_fireKeyWasHeld = false;
    Controls* m_controls = nullptr;
    GameOptions* m_options = nullptr;
    OptionsScreen* m_optionsScreen = nullptr;
    Gamepad* m_gamepad = nullptr;
    // Held flags the pad alone sets for the step under way: the keys' own state
    // comes back when the step has read them.
    quint32 m_padOnly = 0;
    // Run actions of pad inputs that pressed a button, ignored until let go.
    quint32 m_padIgnored = 0;
    // Kept apart from the screen's own buttons, whose list stays as it always was.
    GameButton* m_optionsButton = nullptr;
    // Where the options screen goes back to; the left button as it last saw it.
    int m_optionsReturn = 1;
    bool m_optionsClickHeld = false;
    // The screen has an options button, shown once the mouse moves or a menu key is used.
    bool m_optionsOffered = false;
    // Presses no tick has seen yet, and those of them already released again
    // (flag pointers above).
    QList<bool*> m_unseenPresses;
    QList<bool*> m_earlyReleases;
    QPointF m_mousePos;
    QString m_scoreFile;
    double m_groundLine = 0.0;
    double m_baseSpeed = 8.0;
    GameClock* m_clock = nullptr;
    GameRandom m_random;
    std::optional<quint64> m_fixedSeed;
    quint64 m_sessionSeed = 0;
    // Input events not yet seen by a step: a lost focus, a mouse press or release there.
    bool m_focusLost = false;
    std::optional<QPointF> m_eventPointer;
    int m_recordedFrameHeight = -1;
    std::unique_ptr<Replay> m_recording;
    std::optional<Replay> m_playback;
    int m_playbackFrameHeight = 0;
    int m_runSeedsUsed = 0;
    qint64 m_runStartStep = 0;
    int m_finishedRuns = 0;
    int m_bestScore = -1;
    double m_drawFraction = 1.0;
    // The fraction of the frame being painted.
    double m_fraction = 1.0;
    int m_animationTick = 0;
    QList<GameButton*> m_buttons;
    // The loading bar has no parent; the window releases it.
    std::unique_ptr<ProgressBar> m_progressBar;
    StatusBar* m_statusBar = nullptr;
    GameCharacter* m_character = nullptr;
    QList<Obstacle*> m_cactusList;
    QList<Obstacle*> m_birdList;
    EnvironmentSystem* m_environment = nullptr;
    MonsterSystem* m_monsterSystem = nullptr;
    DeadEye* m_deadEye = nullptr;
    Gun* m_gun = nullptr;
    BulletSystem* m_bulletSystem = nullptr;
    ScoreBoard* m_scoreBoard = nullptr;
    NumberSet* m_essenceDisplay = nullptr;
    Cursors m_cursors;
    TextList* m_textList = nullptr;
    bool m_paused = false;
    bool m_gameOver = false;
    bool m_firstStart = false;
    QPixmap m_guideImage;
    QPixmap m_fittedGuide;
    // The dash skill has no parent; the window releases it.
    std::unique_ptr<Rush> m_rush;
    bool m_aimCursorShown = false;
    SoundBoard* m_sounds = nullptr;
    // What the sound has last been told: a fast drop under way, the slow
    // motion on, a dry click already made for the left button held now.
    bool m_fastDropSounding = false;
    bool m_slowMotionSounding = false;
    bool m_dryClickMade = false;
    bool m_cursorChosen = false;
    // The bank as shown, all of it: the display keeps only its last digits.
    int m_bank = 0;
    // What could not be saved stays in play and is saved again with the next bank.
    std::optional<int> m_unsavedEssence;
    bool m_levelUnsaved = false;
    int m_saveNoticeSteps = 0;
};
