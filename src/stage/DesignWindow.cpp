#include "stage/DesignWindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "draw/DrawEngine.h"
#include "draw/DrawKeyRules.h"
#include "draw/RoundState.h"
#include "model/AppData.h"
#include "model/Prize.h"
#include "show/ShowScreens.h"
#include "stage/DesignToolbox.h"
#include "ui/Notices.h"

namespace {
constexpr int kToolboxMargin = 20;
constexpr int kToolboxFallbackMs = 250;

QString WithoutTrailingSpace(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace()) --end;
    return text.left(end);
}
}  // namespace

DesignWindow::DesignWindow(AppData& data, QWidget* parent, QRect screen)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), data_(data), renderer_(data) {
    setObjectName(QStringLiteral("DesignWindow"));
    setWindowTitle(QStringLiteral("抽奖界面设计"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    if (QFile::exists(QStringLiteral(":/icon.png")))
        setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    if (screen.isEmpty()) {
        // The preview opens where the show will: on the chosen (projector) screen.
        screen = QRect(0, 0, 800, 600);
        if (QScreen* chosen = ShowScreens::Find(data_.ShowScreen())) {
            screen = chosen->geometry();
            scale_ = PixelScale(chosen);
            setScreen(chosen);
        }
    }
    screen_ = screen;
    setGeometry(screen_);
    const QSize pixels = scale_.ToPixels(screen_.size());
    renderer_.Layout(QRect(QPoint(0, 0), pixels));
    renderer_.SetHelpText(QStringLiteral("抽奖界面设计 系统自动保存 按 Esc 键退出"));
    buffer_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);

    data_.ResetSymbolFontSizes();
    round_ = DrawEngine::NewRoundState(data_);

    toolbox_ = new DesignToolbox(data_, this);
    offered_ = toolbox_->OfferedElements();
    // The toolbox announced itself before it was known here.
    PreparePreview();
}

DesignWindow::~DesignWindow() = default;

bool DesignWindow::event(QEvent* e) {
    if (NoticeEvent::NumberOf(e) == WM_DESIGN_CHANGED) {
        OnDesignChanged(static_cast<NoticeEvent*>(e)->Argument());
        return true;
    }
    if (e->type() == QEvent::WindowActivate && toolbox_) ShowToolbox();
    return QDialog::event(e);
}

void DesignWindow::OnDesignChanged(int what) {
    if (!toolbox_) return;
    if (what == 1) renderer_.DropBackground();
    PreparePreview();
    if (what == 2) offered_ = toolbox_->OfferedElements();
}

void DesignWindow::PreparePreview() {
    const int frame = data_.LastFrame();
    round_->state = (frame >= RoundState::kPrize && frame <= RoundState::kWinners)
                        ? frame
                        : int(RoundState::kWelcome);
    round_->title = WithoutTrailingSpace(data_.Title());
    if (round_->title.isEmpty()) round_->title = QStringLiteral("这里是标题");
    round_->selectedElement = toolbox_ ? toolbox_->SelectedElement() : -1;
    if (!prizeSet_) {
        // Prizes do not change while design mode is open: the picture is read once.
        const std::vector<Prize*> prizes = data_.PrizesInDrawOrder();
        DrawEngine::SetCurrentPrize(*round_, data_, prizes.empty() ? -1 : prizes.front()->id);
        prizeSet_ = true;
    }
    if (round_->state == RoundState::kRolling || round_->state == RoundState::kWinners) FillNames();
    stale_ = true;
    update();
}

void DesignWindow::FillNames() {
    const int n =
        data_.PrizeUIType() == PrizeLayout::Picture ? kSampleNamesPicture : kSampleNamesText;
    std::vector<RoundSelection>& selection = round_->selection;
    selection.clear();
    for (const auto& [id, candidate] : data_.CandidateMap()) {
        if (int(selection.size()) >= n) break;
        QString text = DrawKeyRules::Text(candidate->NO, candidate->name, candidate->department,
                                          candidate->tel, data_.FieldType());
        if (!text.isEmpty())
            selection.push_back(RoundSelection{id, std::move(text), QRect(), false, QString()});
    }
    if (!selection.empty()) return;
    for (int i = 0; i < n; ++i)
        selection.push_back(
            RoundSelection{i, QString::asprintf("大内密探%03d", i + 1), QRect(), false, QString()});
}

const QImage& DesignWindow::Render() {
    renderer_.Paint(buffer_, *round_);
    stale_ = false;
    return buffer_;
}

void DesignWindow::paintEvent(QPaintEvent* event) {
    if (stale_) Render();
    QPainter p(this);
    p.drawImage(QRectF(event->rect()), buffer_, QRectF(scale_.ToPixels(event->rect())));
}

void DesignWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    // The toolbox is mapped once the window manager has taken this window on (it is active
    // then): mapped earlier, it is not known as this window's own and ends up beneath it.
    // Without an activation (some platforms never send one) it comes up a little later.
    QTimer::singleShot(kToolboxFallbackMs, this, &DesignWindow::ShowToolbox);
}

void DesignWindow::ShowToolbox() {
    if (!isVisible()) return;
    if (!toolboxPlaced_) {
        // Placed before it is mapped, so that the window manager puts its frame there.
        PlaceToolbox();
        toolbox_->installEventFilter(this);
        toolboxPlaced_ = true;
    }
    toolbox_->show();
    toolbox_->raise();
}

void DesignWindow::PlaceToolbox() {
    const int width = toolbox_->frameGeometry().width();
    toolbox_->move(screen_.right() + 1 - kToolboxMargin - width, screen_.top() + kToolboxMargin);
}

bool DesignWindow::eventFilter(QObject* watched, QEvent* event) {
    // The frame's width is known only after the toolbox is mapped: keep its right edge in place.
    if (watched == toolbox_ && !frameKnown_ &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        toolbox_->frameGeometry().size() != toolbox_->size()) {
        frameKnown_ = true;
        PlaceToolbox();
    }
    return QDialog::eventFilter(watched, event);
}

void DesignWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        reject();
        return;
    }
    // Enter must not reach QDialog, which would look for a default button in the toolbox.
    QWidget::keyPressEvent(event);
}

int DesignWindow::ElementAt(const QPoint& pos) const {
    const QPoint at = scale_.ToPixels(pos);
    for (int id : offered_) {
        const DesignSymbol* s = data_.FindSymbol(id);
        if (s && s->box.contains(at)) return id;
    }
    return -1;
}

void DesignWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int id = ElementAt(event->position().toPoint());
        if (id >= 0 && id != toolbox_->SelectedElement()) toolbox_->SelectElement(id);
    }
    QDialog::mousePressEvent(event);
}

void DesignWindow::mouseMoveEvent(QMouseEvent* event) {
    if (ElementAt(event->position().toPoint()) >= 0)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    QDialog::mouseMoveEvent(event);
}
