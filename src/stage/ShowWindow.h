#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <memory>
#include <optional>

#include "show/EffectPlayer.h"
#include "show/MusicPlayer.h"
#include "show/PixelScale.h"
#include "show/ShowPrompt.h"
#include "show/ShowRenderer.h"
#include "stage/KeyStepFilter.h"
#include "stage/RollCompositor.h"

class AppData;
class CheckInService;
class DrawEngine;
class RoundState;

// The full-screen show: turns Space and Enter into steps of the draw, runs the rolling and
// scrolling timers, plays the music and shows what the renderer painted. Its questions (leave
// the show? void an absent winner?) are asked on the show itself. Esc leaves it: at once on the
// welcome and finished screens, after a question anywhere else.
class ShowWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRollInterval = 20;
    static constexpr int kScrollInterval = 10;
    // The operator's key hint stays this long after a screen changes (unless always shown).
    static constexpr int kHelpShownMs = 6000;
    // The hint of a screen, as the operator reads it.
    // The help line of a screen; the prize screen names only the keys that work on it now.
    static QString HelpFor(int state, bool canChoosePrize = true, bool canAddPrize = true);
    // How long the hint stays; tests shorten it.
    void SetHelpShownMs(int ms) { helpShownMs_ = ms; }

    // Shows the running show of engine (a blank welcome screen when none runs).
    ShowWindow(AppData& data, DrawEngine& engine, QWidget* parent = nullptr);
    ~ShowWindow() override;

    // One step of the show, as a press of Space or Enter.
    void Step();
    // Asks on the show whether the winner of selection entry index is absent; Yes voids it.
    void AskToVoid(int index);
    // 加奖: asks for the prize in a small dialog over the show; it is drawn next.
    void AddPrize();
    // Asks on the show whether to leave it; Yes leaves.
    void AskToLeave();
    // The open question, if any, and its answer as the keys and clicks give it.
    const std::optional<ShowPrompt>& Prompt() const { return prompt_; }
    void Answer(bool yes);
    // The selection entry whose cell holds a point of the window; -1 when none.
    int EntryAt(const QPoint& pos);
    // Leaves at once: timers killed, music stopped, nothing recorded for a roll in progress.
    void reject() override;
    // Phone check-in: the code and count on the welcome screen, the host phone's steps, and
    // what the guests' pages may know of the show. Null: none.
    void SetCheckIn(CheckInService* service);

    ShowRenderer& Renderer() { return renderer_; }
    // The frame last painted: the window's own backing store when painted straight into it
    // (which lacks the names the display drew since the last whole paint).
    const QImage& Buffer() const;
    const PixelScale& Scale() const { return scale_; }
    const EffectPlayer& StopSound() const { return stopSound_; }
    bool IsRolling() const { return rollTimer_.isActive(); }
    // Whether the display server draws the rolling ticks.
    bool DrawsOnTheDisplay() const { return compositor_ != nullptr; }
    bool IsScrolling() const { return scrollTimer_.isActive(); }
    // The finished list as the renderer shows it.
    static QStringList FinishedLines(const AppData& data);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab chooses the next prize here; there is no focus to move.
    bool focusNextPrevChild(bool) override { return false; }
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    RoundState& Round();
    void StartMusic();
    void StopAll();
    void RollTick();
    void ScrollTick();
    bool IsStepKey(int key) const;
    // Shows the hint of the current screen; it goes after a while but on the welcome screen.
    void ShowHelp();
    void OpenPrompt(ShowPrompt prompt);
    void PromptKey(QKeyEvent* event);
    void ShowCheckInCount();
    // Tells the service what the screen shows, when that changed.
    void PublishBoard(bool running = true);
    // The backing store's image when the show may paint straight into it: one to one, opaque
    // 32-bit and the renderer's size. With a painter, only when that painter paints into it
    // (not when the window is grabbed into a picture).
    QImage* ScreenImage() const;
    QImage* ScreenImage(QPainter& painter) const;
    void PaintWhole(QImage& target);

    AppData& data_;
    DrawEngine& engine_;
    ShowRenderer renderer_;
    QImage buffer_;
    // What the buffer lacks before the next copy to the screen.
    bool fullRepaint_ = true;
    // Which of the buffer and the backing store hold the current frame; the renderer
    // repaints only the change of a tick, so a tick goes only onto a current one.
    bool bufferCurrent_ = false;
    bool screenCurrent_ = false;
    // A tick planned for the backing store and the region asked to be painted for it.
    bool rollPlanned_ = false;
    QRegion rollRegion_;
    // The display draws the ticks where it can; the window then shows names that the backing
    // store lacks, until the next whole paint.
    std::unique_ptr<RollCompositor> compositor_;
    bool serverDrawn_ = false;
    QTimer rollTimer_;
    QTimer scrollTimer_;
    QTimer helpTimer_;
    int helpShownMs_ = kHelpShownMs;
    MusicPlayer music_;
    EffectPlayer stopSound_;
    KeyStepFilter keys_;
    // The window is logical, the buffer and the renderer device pixels.
    PixelScale scale_;
    bool musicQueued_ = false;
    // Stands in when no show is running, so the window still paints a screen.
    std::unique_ptr<RoundState> idleRound_;
    std::optional<ShowPrompt> prompt_;
    int voidIndex_ = -1;     // the entry the open question voids; -1 when it asks to leave
    bool rollHeld_ = false;  // the roll stopped while a question is open
    CheckInService* checkIn_ = nullptr;
    QTimer checkInTimer_;  // a burst of check-ins repaints the count once
    QString boardShown_;   // what the service was last told, to tell only changes
    // How evenly the names rolled, for the log when the roll stops: a stall shows as a gap.
    QElapsedTimer tickClock_;
    int ticks_ = 0;
    qint64 longestGapMs_ = 0;
    // And what the ticks cost: the time inside them, and of that the drawing of the names.
    qint64 tickNs_ = 0;
    qint64 drawNs_ = 0;
};
