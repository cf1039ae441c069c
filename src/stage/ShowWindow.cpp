#include "stage/ShowWindow.h"

#include <QBackingStore>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>

#include "checkin/CheckInService.h"
#include "draw/DrawEngine.h"
#include "draw/DrawKeyRules.h"
#include "draw/RoundState.h"
#include "model/AppData.h"
#include "model/Prize.h"
#include "model/Winner.h"
#include "show/PixelOps.h"
#include "show/PromptPainter.h"
#include "show/ShowScreens.h"
#include "stage/AddPrizeDialog.h"
#include "ui/Ui.h"

ShowWindow::ShowWindow(AppData& data, DrawEngine& engine, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      data_(data),
      engine_(engine),
      renderer_(data) {
    setObjectName(QStringLiteral("ShowWindow"));
    // The renderer covers every pixel, so nothing is erased before a paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    if (QFile::exists(QStringLiteral(":/icon.png")))
        setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    // The chosen screen (a projector) or the primary one, painted at its own pixel ratio so a
    // scaled desktop stays sharp.
    QRect screen(0, 0, 800, 600);
    if (QScreen* chosen = ShowScreens::Find(data_.ShowScreen())) {
        screen = chosen->geometry();
        scale_ = PixelScale(chosen);
        setScreen(chosen);
    }
    setGeometry(screen);
    const QSize pixels = scale_.ToPixels(screen.size());
    renderer_.Layout(QRect(QPoint(0, 0), pixels));
    buffer_ = QImage(pixels, QImage::Format_RGB32);

    rollTimer_.setTimerType(Qt::PreciseTimer);
    rollTimer_.setInterval(kRollInterval);
    connect(&rollTimer_, &QTimer::timeout, this, &ShowWindow::RollTick);
    scrollTimer_.setTimerType(Qt::PreciseTimer);
    scrollTimer_.setInterval(kScrollInterval);
    connect(&scrollTimer_, &QTimer::timeout, this, &ShowWindow::ScrollTick);
    // The room should not read the operator's keys all evening.
    helpTimer_.setSingleShot(true);
    connect(&helpTimer_, &QTimer::timeout, this, [this] {
        renderer_.SetHelpText(QString());
        fullRepaint_ = true;
        update();
    });
}

ShowWindow::~ShowWindow() {
    StopAll();
    PublishBoard(false);
}

void ShowWindow::SetCheckIn(CheckInService* service) {
    checkIn_ = service;
    if (!service) return;
    // One tap, one step, as Space: never an answer to a question open on the show.
    connect(service, &CheckInService::remoteStep, this, [this] {
        if (!prompt_ && isVisible()) Step();
    });
    checkInTimer_.setSingleShot(true);
    checkInTimer_.setInterval(500);
    connect(&checkInTimer_, &QTimer::timeout, this, &ShowWindow::ShowCheckInCount);
    connect(service, &CheckInService::checkedIn, this, [this] {
        if (!checkInTimer_.isActive()) checkInTimer_.start();
    });
    ShowCheckInCount();
    PublishBoard();
}

void ShowWindow::ShowCheckInCount() {
    if (!checkIn_) return;
    RoundState& round = Round();
    round.checkInUrl = checkIn_->Running() ? checkIn_->GuestUrl() : QString();
    round.checkedIn = int(data_.CheckIns().Count());
    int everyone = 0;
    for (const auto& c : data_.Candidates()) everyone += !c->excluded;
    round.checkInTotal = everyone;
    if (round.state == RoundState::kWelcome) {
        fullRepaint_ = true;
        update();
    }
}

void ShowWindow::PublishBoard(bool running) {
    if (!checkIn_) return;
    const RoundState* round = engine_.Round();
    running = running && round;
    static const QString kScreens[] = {QStringLiteral("欢迎"), QStringLiteral("奖品"),
                                       QStringLiteral("抽奖中"), QStringLiteral("中奖名单"),
                                       QStringLiteral("结束")};
    const int state = round ? std::clamp(round->state, 0, 4) : 0;
    const QString shown = QStringLiteral("%1/%2/%3/%4/%5")
                              .arg(running)
                              .arg(state)
                              .arg(round ? round->prizeId : -1)
                              .arg(data_.TotalWinners())
                              .arg(round ? round->fingerprint : QString());
    if (shown == boardShown_) return;
    boardShown_ = shown;
    ShowBoard board;
    board.running = running;
    if (running) {
        board.fingerprint = round->fingerprint;
        board.room = engine_.Pools().Room();
        board.screen = kScreens[state];
        if (const Prize* p = data_.FindPrize(round->prizeId)) board.prize = p->name;
        for (const auto& [prize, winners] : data_.Winners()) {
            const Prize* p = data_.FindPrize(prize);
            for (const auto& w : winners) {
                QString& won = board.won[w->candidate];
                if (!won.isEmpty()) won += QStringLiteral("、");
                won += p ? p->name : QString::number(prize);
            }
        }
    }
    checkIn_->SetShow(board);
}

RoundState& ShowWindow::Round() {
    if (RoundState* round = engine_.Round()) return *round;
    if (!idleRound_) idleRound_ = std::make_unique<RoundState>();
    return *idleRound_;
}

QString ShowWindow::HelpFor(int state, bool canChoosePrize, bool canAddPrize) {
    if (state == RoundState::kWinners)
        return QStringLiteral("按空格键或回车键继续，点击姓名可作废未到场者并补抽，按 Esc 键退出");
    QString help = QStringLiteral("按空格键或回车键继续，");
    if (state == RoundState::kPrize && canChoosePrize)
        help += QStringLiteral("按 Tab 键换下一个奖项，");
    if (state == RoundState::kPrize && canAddPrize) help += QStringLiteral("按 A 键加奖，");
    return help + QStringLiteral("按 Esc 键退出");
}

void ShowWindow::ShowHelp() {
    const int state = Round().state;
    renderer_.SetHelpText(
        HelpFor(state, engine_.CanChooseNextPrize(), engine_.CanAddPrizeDuringShow()));
    if (state == RoundState::kWelcome || data_.AlwaysShowHelp())
        helpTimer_.stop();
    else
        helpTimer_.start(helpShownMs_);
}

void ShowWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!compositor_ && (compositor_ = RollCompositor::ForWindow(*this)))
        windowHandle()->installEventFilter(this);
    ShowHelp();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    if (musicQueued_) return;
    musicQueued_ = true;
    // Queued so that the first screen is up before a decoder or a message box can hold it.
    QTimer::singleShot(0, this, &ShowWindow::StartMusic);
}

bool ShowWindow::eventFilter(QObject* watched, QEvent* event) {
    // Uncovered, the window gets the backing store back, without the names the display drew.
    if (event->type() == QEvent::Expose && serverDrawn_) {
        fullRepaint_ = true;
        update();
    }
    return QDialog::eventFilter(watched, event);
}

void ShowWindow::StartMusic() {
    const bool playing = music_.Start(data_.MusicList().SelectedPath());
    if (!playing) {
        Ui::Message m;
        m.parent = this;
        m.caption = QStringLiteral("提示");
        m.text = music_.ErrorMessage();
        m.icon = Ui::Icon::Information;
        Ui::ShowMessage(m);
    }
    // Loaded now, so a sound that cannot play is told once, before the room hears anything.
    if (!data_.StopSoundEnabled() || stopSound_.Load(data_.StopSoundPath())) return;
    // Without a sound device the music's message has said all there is to say.
    if (!playing && music_.ErrorCode() == MusicPlayer::kNoDevice) return;
    Ui::Message m;
    m.parent = this;
    m.caption = QStringLiteral("提示");
    m.text = QStringLiteral("无法播放停止音效：%1\n本场停止时将不播放音效")
                 .arg(QDir::toNativeSeparators(data_.StopSoundPath()));
    m.icon = Ui::Icon::Information;
    Ui::ShowMessage(m);
}

void ShowWindow::StopAll() {
    rollTimer_.stop();
    scrollTimer_.stop();
    helpTimer_.stop();
    music_.Stop();
    stopSound_.Unload();
}

void ShowWindow::reject() {
    StopAll();
    QDialog::reject();
}

QStringList ShowWindow::FinishedLines(const AppData& data) {
    QStringList lines{QStringLiteral("祝 贺"), QString()};
    const std::vector<Prize*> prizes = data.PrizesInDrawOrder();
    const bool hide = data.HidePhoneDigits() && data.FieldType() == 3;
    for (size_t i = 0; i < prizes.size(); ++i) {
        const Prize* prize = prizes[i];
        if (i > 0) lines.append(QString());
        lines.append(prize->name + QLatin1Char(' ') + prize->content);
        if (const AppData::WinnerVector* winners = data.WinnersOfPrize(prize->id))
            for (const auto& w : *winners)
                lines.append(hide ? DrawKeyRules::HidePhoneDigits(w->show) : w->show);
    }
    return lines;
}

void ShowWindow::Step() {
    DrawEngine& engine = engine_;
    if (!engine.Round() || prompt_) return;
    RoundState& round = *engine.Round();
    const bool stopping = round.state == RoundState::kRolling;
    if (stopping) {
        rollTimer_.stop();
        const qint64 perTick = ticks_ > 0 ? ticks_ * qint64(1000) : 1;  // in microseconds
        qInfo().noquote() << "roll:" << ticks_ << "ticks, longest gap" << longestGapMs_
                          << "ms, each tick" << tickNs_ / perTick << "us, drawing the names"
                          << drawNs_ / perTick << "us";
        tickClock_.invalidate();
        ticks_ = 0;
        longestGapMs_ = 0;
        tickNs_ = 0;
        drawNs_ = 0;
    }
    if (round.state == RoundState::kPrize && engine.RemainingCandidates() == 0) {
        Ui::Tell(
            this,
            QStringLiteral("剩余候选人数为零，无法继续后续抽奖环节。\n按 Esc 键回到设置界面。"),
            Ui::Icon::Information);
        return;
    }
    if (round.state == RoundState::kWinners && round.page + 1 < round.Pages()) {
        // The next page of a large round before the show goes on.
        ++round.page;
        ShowHelp();
        fullRepaint_ = true;
        update();
        return;
    }
    data_.ResetSymbolFontSizes();
    engine.AdvanceStep();

    if (round.state == RoundState::kRolling) {
        // One size for every name this roll can show, so no name leaves its cell and the size
        // does not jump between ticks; the winners screen keeps it.
        renderer_.PlanNames(round, engine.EligibleKeyTexts());
        rollTimer_.start();
    } else if (round.state != RoundState::kWinners) {
        round.namesPointSize = 0;
        round.perPage = round.columns = round.rows = round.page = 0;
    }
    if (stopping && round.state == RoundState::kWinners) stopSound_.Play();
    if (round.state == RoundState::kFinished) {
        renderer_.Lines() = FinishedLines(data_);
        renderer_.StartScroll();
        scrollTimer_.start();
    }
    ShowHelp();
    fullRepaint_ = true;
    update();
}

void ShowWindow::RollTick() {
    RoundState* round = engine_.Round();
    if (!round || round->state != RoundState::kRolling) {
        rollTimer_.stop();
        return;
    }
    if (tickClock_.isValid()) longestGapMs_ = std::max(longestGapMs_, tickClock_.elapsed());
    tickClock_.start();
    ++ticks_;
    // Counted on every way out, the repaint of the names included.
    const struct Spent {
        const QElapsedTimer& since;
        qint64& into;
        ~Spent() { into += since.nsecsElapsed(); }
    } spent{tickClock_, tickNs_};
    engine_.RollSelection();
    if (fullRepaint_ || prompt_ || buffer_.isNull()) {
        update();
        return;
    }
    if (QImage* screen = ScreenImage(); screen && screenCurrent_) {
        // Into the backing store, which may be written only while it is painted: the change
        // is planned now and drawn by the paint, at once, so ticks never pile up.
        if (!renderer_.PlanRoll(*screen, *round, rollRegion_)) {
            fullRepaint_ = true;
            update();
            return;
        }
        if (compositor_) {
            QElapsedTimer drawing;
            drawing.start();
            const bool drawn = compositor_->Draw(renderer_);
            drawNs_ += drawing.nsecsElapsed();
            if (drawn) {
                renderer_.RollDrawn();
                serverDrawn_ = true;
                return;
            }
            qWarning().noquote() << "show: the display no longer draws the rolling names;"
                                 << "the show draws them itself from now on";
            compositor_.reset();  // after a whole paint
            fullRepaint_ = true;
            update();
            return;
        }
        rollPlanned_ = true;
        repaint(rollRegion_);
        return;
    }
    if (!bufferCurrent_) {
        fullRepaint_ = true;
        update();
        return;
    }
    // Painted now, so only the pixels that changed are sent to the screen.
    const QRegion dirty = renderer_.PaintNames(buffer_, *round);
    screenCurrent_ = false;
    for (const QRect& r : dirty) update(scale_.ToLogical(r));
}

void ShowWindow::ScrollTick() {
    renderer_.ScrollStep();
    fullRepaint_ = true;
    update();
}

bool ShowWindow::IsStepKey(int key) const {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            return true;
        case Qt::Key_PageDown:
        case Qt::Key_Right:
        case Qt::Key_Down:
            // What presentation remotes send, when the operator allowed them.
            return data_.PresenterKeys();
        default:
            return false;
    }
}

void ShowWindow::keyPressEvent(QKeyEvent* event) {
    // Other keys do nothing (and never reach the dialog's default handling).
    event->accept();
    if (prompt_) {
        PromptKey(event);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        const int state = Round().state;
        if (state == RoundState::kWelcome || state == RoundState::kFinished)
            reject();
        else
            AskToLeave();
        return;
    }
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        !event->isAutoRepeat()) {
        // The running order: Tab brings up the next prize still to draw, Shift+Tab the last.
        const bool forward =
            event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier);
        if (engine_.ChooseNextPrize(forward)) {
            ShowHelp();
            fullRepaint_ = true;
            update();
        }
        return;
    }
    if (event->key() == Qt::Key_A && !event->isAutoRepeat() &&
        Round().state == RoundState::kPrize) {
        AddPrize();
        return;
    }
    if (!IsStepKey(event->key())) return;
    // A held key is one deliberate press, not a run of steps.
    if (keys_.Press(event->key(), event->timestamp(), event->isAutoRepeat())) Step();
}

void ShowWindow::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    if (IsStepKey(event->key()))
        keys_.Release(event->key(), event->timestamp(), event->isAutoRepeat());
}

void ShowWindow::focusOutEvent(QFocusEvent* event) {
    // A key let go while another window had the keyboard is never seen released here.
    keys_.Reset();
    QDialog::focusOutEvent(event);
}

int ShowWindow::EntryAt(const QPoint& pos) {
    RoundState& round = Round();
    const QPoint at = scale_.ToPixels(pos);
    for (size_t i = 0; i < round.selection.size(); ++i)
        if (round.OnPage(i) && round.selection[i].cell.contains(at)) return int(i);
    return -1;
}

void ShowWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = scale_.ToPixels(event->position().toPoint());
    if (prompt_) {
        const ShowLayout& layout = renderer_.Geometry();
        if (PromptPainter::YesButton(layout).contains(at)) Answer(true);
        if (PromptPainter::NoButton(layout).contains(at)) Answer(false);
        return;
    }
    if (Round().state != RoundState::kWinners) return;
    const int index = EntryAt(event->position().toPoint());
    if (index >= 0) AskToVoid(index);
}

void ShowWindow::OpenPrompt(ShowPrompt prompt) {
    // The names stand still while the room reads the question; nothing is decided by it.
    rollHeld_ = rollTimer_.isActive();
    rollTimer_.stop();
    prompt_ = std::move(prompt);
    fullRepaint_ = true;
    update();
}

void ShowWindow::AskToVoid(int index) {
    RoundState& round = Round();
    if (prompt_ || round.state != RoundState::kWinners || index < 0 ||
        index >= int(round.selection.size()) || round.selection[size_t(index)].voided)
        return;
    voidIndex_ = index;
    // 否 first: a stray click followed by Space to go on must not void anybody.
    OpenPrompt(ShowPrompt{
        QStringLiteral("%1 未到场，作废并补抽？").arg(round.selection[size_t(index)].Shown()),
        QStringLiteral("作废后将为该名额补抽 1 人"), false});
}

void ShowWindow::AddPrize() {
    if (Round().rehearsal) {
        Ui::Tell(this, QStringLiteral("彩排时不能加奖。"), Ui::Icon::Information);
        return;
    }
    // A redraw waiting on this screen comes first; the dialog would only be turned away.
    if (!engine_.CanAddPrizeDuringShow()) return;
    AddPrizeDialog dialog(this);
    if (Ui::Exec(dialog) != QDialog::Accepted) return;
    if (engine_.AddPrizeDuringShow(dialog.Name(), dialog.Content(), dialog.Count(),
                                   dialog.Rounds()) < 0)
        return;
    ShowHelp();
    fullRepaint_ = true;
    update();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void ShowWindow::AskToLeave() {
    if (prompt_) return;
    voidIndex_ = -1;
    OpenPrompt(ShowPrompt{QStringLiteral("退出放映？"),
                          QStringLiteral("本场抽奖将暂停，再次点击“开始抽奖”时继续，抽奖指纹不变"),
                          false});
}

void ShowWindow::PromptKey(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Y:
            Answer(true);
            return;
        case Qt::Key_N:
        case Qt::Key_Escape:
            Answer(false);
            return;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            prompt_->yesChosen = !prompt_->yesChosen;
            fullRepaint_ = true;
            update();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            // A held key is one answer, not an answer and then steps.
            if (keys_.Press(event->key(), event->timestamp(), event->isAutoRepeat()))
                Answer(prompt_->yesChosen);
            return;
        default:
            return;
    }
}

void ShowWindow::Answer(bool yes) {
    if (!prompt_) return;
    prompt_.reset();
    const int index = voidIndex_;
    voidIndex_ = -1;
    fullRepaint_ = true;
    update();
    if (index < 0 && yes) {
        reject();
        return;
    }
    if (index >= 0 && yes) engine_.VoidWinner(index);
    if (rollHeld_ && Round().state == RoundState::kRolling) rollTimer_.start();
    rollHeld_ = false;
}

void ShowWindow::paintEvent(QPaintEvent* event) {
    if (buffer_.isNull()) return;
    if (fullRepaint_) PublishBoard();  // every change of screen repaints it whole
    QPainter p(this);
    if (QImage* screen = ScreenImage(p)) {
        // One to one: the frame is painted where the screen reads it, with no copy of it.
        const bool tick = rollPlanned_ && screenCurrent_ && !fullRepaint_ &&
                          (event->region() - rollRegion_).isEmpty();
        p.end();
        if (tick) {
            QElapsedTimer drawing;
            drawing.start();
            renderer_.DrawRoll(*screen);
            drawNs_ += drawing.nsecsElapsed();
        } else
            PaintWhole(*screen);  // a new screen, or one Qt asks for (shown, uncovered)
        rollPlanned_ = false;
        screenCurrent_ = true;
        bufferCurrent_ = false;
        return;
    }
    if (fullRepaint_ || !bufferCurrent_) {
        PaintWhole(buffer_);
        bufferCurrent_ = true;
        screenCurrent_ = false;  // the renderer now knows the buffer's names, not the screen's
    }
    // Device pixels of the buffer onto the same device pixels of the screen.
    if (scale_.Ratio() == 1.0) {
        // One to one: a plain copy of the opaque buffer, in bands low enough that Qt copies
        // each on this thread instead of waking its pool (it splits blits over ~96 rows).
        p.setCompositionMode(QPainter::CompositionMode_Source);
        constexpr int kBand = 64;
        for (const QRect& r : event->region())
            for (int y = r.top(); y <= r.bottom(); y += kBand) {
                const QRect band(r.left(), y, r.width(), std::min(kBand, r.bottom() + 1 - y));
                p.drawImage(band.topLeft(), buffer_, band);
            }
    } else {
        for (const QRect& r : event->region())
            p.drawImage(QRectF(r), buffer_, QRectF(scale_.ToPixels(r)));
    }
}

void ShowWindow::PaintWhole(QImage& target) {
    renderer_.Paint(target, Round());
    if (prompt_) {
        QPainter p(&target);
        PromptPainter::Paint(p, renderer_.Geometry(), *prompt_, renderer_.DefaultFamily());
    }
    fullRepaint_ = false;
    serverDrawn_ = false;
}

QImage* ShowWindow::ScreenImage() const {
    QBackingStore* store = backingStore();
    if (!store || scale_.Ratio() != 1.0) return nullptr;
    QPaintDevice* device = store->paintDevice();
    if (!device || device->devType() != QInternal::Image) return nullptr;
    auto* image = static_cast<QImage*>(device);
    // Fonts are sized by the target's resolution: the same as the buffer's, or the two differ.
    if (image->size() != buffer_.size() || !PixelOps::Target32(*image) ||
        image->dotsPerMeterX() != buffer_.dotsPerMeterX() ||
        image->dotsPerMeterY() != buffer_.dotsPerMeterY())
        return nullptr;
    return image;
}

QImage* ShowWindow::ScreenImage(QPainter& painter) const {
    QImage* image = ScreenImage();
    QPaintEngine* engine = painter.paintEngine();
    return image && engine && engine->paintDevice() == image ? image : nullptr;
}

const QImage& ShowWindow::Buffer() const {
    if (screenCurrent_ && !bufferCurrent_)
        if (const QImage* screen = ScreenImage()) return *screen;
    return buffer_;
}
