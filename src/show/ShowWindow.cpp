#include "show/ShowWindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include "app/Ui.h"
#include "model/AppData.h"
#include "model/Prize.h"
#include "model/Winner.h"
#include "show/DrawEngine.h"
#include "show/RoundState.h"

ShowWindow::ShowWindow(AppData& data, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      data_(data),
      renderer_(data) {
    setObjectName(QStringLiteral("ShowWindow"));
    // The renderer covers every pixel, so nothing is erased before a paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    if (QFile::exists(QStringLiteral(":/icon.png")))
        setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    QRect screen(0, 0, 800, 600);
    if (QScreen* primary = QGuiApplication::primaryScreen()) screen = primary->geometry();
    setGeometry(screen);
    renderer_.Layout(QRect(0, 0, screen.width(), screen.height()));
    buffer_ = QImage(screen.size(), QImage::Format_ARGB32_Premultiplied);

    rollTimer_.setTimerType(Qt::PreciseTimer);
    rollTimer_.setInterval(kRollInterval);
    connect(&rollTimer_, &QTimer::timeout, this, &ShowWindow::RollTick);
    scrollTimer_.setTimerType(Qt::PreciseTimer);
    scrollTimer_.setInterval(kScrollInterval);
    connect(&scrollTimer_, &QTimer::timeout, this, &ShowWindow::ScrollTick);
}

ShowWindow::~ShowWindow() {
    StopAll();
}

RoundState& ShowWindow::Round() {
    if (RoundState* round = data_.Draw().Round()) return *round;
    if (!idleRound_) idleRound_ = std::make_unique<RoundState>(data_.ProgramDir());
    return *idleRound_;
}

void ShowWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    if (musicQueued_) return;
    musicQueued_ = true;
    // Queued so that the first screen is up before a decoder or a message box can hold it.
    QTimer::singleShot(0, this, &ShowWindow::StartMusic);
}

void ShowWindow::StartMusic() {
    if (music_.Start(data_.MusicList().SelectedPath())) return;
    Ui::Message m;
    m.parent = this;
    m.caption = QStringLiteral("提示");
    m.text = music_.ErrorMessage();
    m.icon = Ui::Icon::Information;
    Ui::ShowMessage(m);
}

void ShowWindow::StopAll() {
    rollTimer_.stop();
    scrollTimer_.stop();
    music_.Stop();
}

void ShowWindow::reject() {
    StopAll();
    QDialog::reject();
}

QStringList ShowWindow::FinishedLines(const AppData& data) {
    QStringList lines{QStringLiteral("祝 贺"), QString()};
    const std::vector<Prize*> prizes = data.PrizesInDrawOrder();
    for (size_t i = 0; i < prizes.size(); ++i) {
        const Prize* prize = prizes[i];
        if (i > 0) lines.append(QString());
        lines.append(prize->name + QLatin1Char(' ') + prize->content);
        if (const AppData::WinnerVector* winners = data.WinnersOfPrize(prize->id))
            for (const auto& w : *winners) lines.append(w->show);
    }
    return lines;
}

void ShowWindow::Step() {
    DrawEngine& engine = data_.Draw();
    if (!engine.Round()) return;
    RoundState& round = *engine.Round();
    if (round.state == RoundState::kRolling) rollTimer_.stop();
    if (round.state == RoundState::kPrize && engine.RemainingCandidates() == 0) {
        Ui::Tell(
            this,
            QStringLiteral("剩余候选人数为零，无法继续后续抽奖环节。\n按 Esc 键回到设置界面。"),
            Ui::Icon::Information);
        return;
    }
    data_.ResetSymbolFontSizes();
    engine.AdvanceStep();

    if (round.state == RoundState::kRolling) rollTimer_.start();
    if (round.state == RoundState::kFinished) {
        renderer_.Lines() = FinishedLines(data_);
        renderer_.StartScroll();
        scrollTimer_.start();
    }
    fullRepaint_ = true;
    update();
}

void ShowWindow::RollTick() {
    RoundState* round = data_.Draw().Round();
    if (!round || round->state != RoundState::kRolling) {
        rollTimer_.stop();
        return;
    }
    data_.Draw().RollSelection();
    namesRepaint_ = true;
    update(renderer_.NamesArea());
}

void ShowWindow::ScrollTick() {
    renderer_.ScrollStep();
    fullRepaint_ = true;
    update();
}

void ShowWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            event->accept();
            reject();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            event->accept();
            // A held key is one deliberate press, not a run of steps.
            if (!event->isAutoRepeat()) Step();
            return;
        default:
            // Other keys do nothing (and never reach the dialog's default handling).
            event->accept();
            return;
    }
}

void ShowWindow::paintEvent(QPaintEvent* event) {
    if (buffer_.isNull()) return;
    if (fullRepaint_) {
        renderer_.Paint(buffer_, Round());
        fullRepaint_ = false;
        namesRepaint_ = false;
    } else if (namesRepaint_) {
        renderer_.PaintNames(buffer_, Round());
        namesRepaint_ = false;
    }
    QPainter p(this);
    p.drawImage(event->rect(), buffer_, event->rect());
}
