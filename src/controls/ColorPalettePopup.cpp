#include "controls/ColorPalettePopup.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include <algorithm>

#include "controls/ColorButton.h"
#include "controls/PaletteColors.h"

namespace {

// Highlight border and margin of the two kinds of cell; a colour cell is then 18 x 18 around
// a 14 x 14 swatch.
constexpr int kBoxBorder = 3;
constexpr int kBoxMargin = 2;
constexpr int kCellBorder = 2;
constexpr int kCellMargin = 0;
constexpr int kTextPadding = 10;
constexpr int kGridWidth = PaletteColors::kColumns * ColorPalettePopup::kCellSize;
constexpr int kGridHeight = PaletteColors::kRows * ColorPalettePopup::kCellSize;

QColor Blend(const QColor& highlight, const QColor& menu) {
    auto mix = [](int h, int m) { return (h * 48 + m * 207) / 256; };
    return QColor(mix(highlight.red(), menu.red()), mix(highlight.green(), menu.green()),
                  mix(highlight.blue(), menu.blue()));
}

QSize TextSize(const QFontMetrics& metrics, const QString& text) {
    if (text.isEmpty()) return QSize(0, 0);
    return metrics.size(Qt::TextSingleLine, text);
}

}  // namespace

ColorPalettePopup::ColorPalettePopup(ColorButton& button)
    : QWidget(&button, Qt::Popup | Qt::FramelessWindowHint),
      button_(&button),
      defaultText_(button.DefaultText()),
      customText_(button.CustomText()),
      defaultColor_(button.DefaultColor()),
      picked_(button.Color()) {
    setObjectName(QStringLiteral("ColorPicker"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    setFont(QApplication::font("QMessageBox"));
    Layout();

    const uint32_t color = button.Color();
    if (color == ColorButton::kAutomatic && HasDefaultBox())
        current_ = kDefaultBox;
    else if (int index = PaletteColors::IndexOf(color); index >= 0)
        current_ = index;
    else if (HasCustomBox())
        current_ = kCustomBox;
}

ColorPalettePopup::~ColorPalettePopup() = default;

void ColorPalettePopup::Layout() {
    const QFontMetrics metrics(font());
    const QSize d = TextSize(metrics, defaultText_);
    const QSize c = TextSize(metrics, customText_);
    const QSize text(std::max(d.width(), c.width()) + kTextPadding,
                     std::max(d.height(), c.height()) + kTextPadding);
    const int width = std::max(kGridWidth, text.width());

    const int defaultHeight = HasDefaultBox() ? text.height() : 0;
    const int customHeight = HasCustomBox() ? text.height() : 0;
    defaultBox_ = QRect(kEdge, kEdge, width, defaultHeight);
    grid_ = QRect(kEdge + (width - kGridWidth) / 2, kEdge + defaultHeight, kGridWidth, kGridHeight);
    customBox_ = QRect(kEdge, kEdge + defaultHeight + kGridHeight, width, customHeight);
    setFixedSize(width + 2 * kEdge, defaultHeight + kGridHeight + customHeight + 2 * kEdge);
}

QPoint ColorPalettePopup::Placement(const QRect& buttonOnScreen, QSize size, const QRect& area) {
    QRect r(QPoint(buttonOnScreen.left(), buttonOnScreen.top() + buttonOnScreen.height()), size);
    if (area.isEmpty()) return r.topLeft();
    if (r.right() > area.right()) r.moveRight(area.right());
    if (r.left() < area.left()) r.moveLeft(area.left());
    if (r.bottom() > area.bottom()) r.moveTop(buttonOnScreen.top() - size.height());
    return r.topLeft();
}

void ColorPalettePopup::Popup() {
    if (!button_) return;
    const QRect onScreen(button_->mapToGlobal(QPoint(0, 0)), button_->size());
    QScreen* screen = button_->screen();
    QRect area;
    if (screen) {
        area = screen->availableGeometry();
        if (area.isEmpty()) area = screen->geometry();
    } else if (QScreen* primary = QGuiApplication::primaryScreen()) {
        area = primary->geometry();
    }
    move(Placement(onScreen, size(), area));
    show();
}

QRect ColorPalettePopup::CellRect(int cell) const {
    if (cell == kDefaultBox) return defaultBox_;
    if (cell == kCustomBox) return customBox_;
    if (cell < 0 || cell >= PaletteColors::kCount) return QRect();
    return QRect(grid_.left() + (cell % PaletteColors::kColumns) * kCellSize,
                 grid_.top() + (cell / PaletteColors::kColumns) * kCellSize, kCellSize, kCellSize);
}

int ColorPalettePopup::HitTest(QPoint point) const {
    if (customBox_.contains(point)) return kCustomBox;
    if (defaultBox_.contains(point)) return kDefaultBox;
    if (!grid_.contains(point)) return kNoCell;
    const int row = (point.y() - grid_.top()) / kCellSize;
    const int column = (point.x() - grid_.left()) / kCellSize;
    if (row >= PaletteColors::kRows || column >= PaletteColors::kColumns) return kNoCell;
    const int index = row * PaletteColors::kColumns + column;
    return index < PaletteColors::kCount ? index : kNoCell;
}

QString ColorPalettePopup::ToolTipAt(QPoint point) const {
    return PaletteColors::Name(HitTest(point));
}

void ColorPalettePopup::Abandon() {
    closing_ = true;
    button_ = nullptr;
}

void ColorPalettePopup::Select(int cell) {
    // Anything past the table is the box below it; this also keeps the lookup in range.
    if (cell >= PaletteColors::kCount) cell = kCustomBox;
    update(CellRect(selected_));
    selected_ = cell;
    update(CellRect(selected_));

    uint32_t color = 0;
    bool valid = true;
    if (cell == kCustomBox) {
        color = defaultColor_;
    } else if (cell == kDefaultBox) {
        color = defaultColor_;
        picked_ = color;
    } else if (cell >= 0) {
        color = PaletteColors::Color(cell);
        picked_ = color;
    } else {
        valid = false;
    }
    if (button_) button_->PaletteSelected(color, valid);
}

void ColorPalettePopup::MoveSelection(int delta) {
    const bool forward = delta > 0;
    int target;
    if (selected_ == kNoCell)
        target = forward ? kDefaultBox : kCustomBox;
    else if (selected_ == kDefaultBox)
        target = forward ? 0 : kCustomBox;
    else if (selected_ == kCustomBox)
        target = forward ? kDefaultBox : PaletteColors::kCount - 1;
    else {
        target = selected_ + delta;
        if (target < 0)
            target = kDefaultBox;
        else if (target >= PaletteColors::kCount)
            target = kCustomBox;
    }
    // Boxes without text are not there; the walk goes on past them. It ends at most two steps
    // later on colour 0 or colour 39.
    for (;;) {
        if (target == kDefaultBox && !HasDefaultBox())
            target = forward ? 0 : kCustomBox;
        else if (target == kCustomBox && !HasCustomBox())
            target = forward ? kDefaultBox : PaletteColors::kCount - 1;
        else
            break;
    }
    Select(target);
}

void ColorPalettePopup::Close(bool accepted) {
    if (closing_) return;
    closing_ = true;
    const bool custom = accepted && selected_ == kCustomBox;
    hide();
    ColorButton* button = button_;
    button_ = nullptr;
    deleteLater();
    if (button) button->PaletteClosed(accepted, custom, picked_);
}

bool ColorPalettePopup::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int cell = HitTest(help->pos());
        const QString name = PaletteColors::Name(cell);
        if (name.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), name, this, CellRect(cell));
        return true;
    }
    return QWidget::event(event);
}

void ColorPalettePopup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    qDrawWinPanel(&p, rect(), palette(), false);
    PaintCell(p, kDefaultBox);
    for (int i = 0; i < PaletteColors::kCount; ++i) PaintCell(p, i);
    PaintCell(p, kCustomBox);
}

void ColorPalettePopup::PaintCell(QPainter& p, int cell) const {
    QRect r = CellRect(cell);
    if (r.isEmpty()) return;
    const QPalette& pal = palette();
    const QColor menu = pal.color(QPalette::Window);
    const QColor highlight = pal.color(QPalette::Highlight);
    const bool box = cell == kDefaultBox || cell == kCustomBox;
    const int margin = box ? kBoxMargin : kCellMargin;
    const int border = box ? kBoxBorder : kCellBorder;
    const bool selected = cell == selected_;

    p.fillRect(r, menu);
    if (selected || cell == current_) {
        if (margin > 0) r.adjust(margin, margin, -margin, -margin);
        p.fillRect(r, highlight);
        r.adjust(1, 1, -1, -1);
        p.fillRect(r, selected ? highlight : Blend(highlight, menu));
        r.adjust(border - 1, border - 1, -(border - 1), -(border - 1));
    } else {
        r.adjust(margin + border, margin + border, -(margin + border), -(margin + border));
    }

    if (box) {
        p.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine,
                   cell == kDefaultBox ? defaultText_ : customText_);
        return;
    }
    p.fillRect(r, pal.color(QPalette::Dark));
    p.fillRect(r.adjusted(1, 1, -1, -1), ColorButton::ToQColor(PaletteColors::Color(cell)));
}

void ColorPalettePopup::mouseMoveEvent(QMouseEvent* event) {
    const int cell = HitTest(event->position().toPoint());
    if (cell != selected_) Select(cell);
}

void ColorPalettePopup::mousePressEvent(QMouseEvent* event) {
    // Not the base class: it would close the popup on any press outside, but a left press
    // decides nothing here; its release does.
    event->accept();
    if (event->button() == Qt::RightButton) Close(false);
}

void ColorPalettePopup::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const int cell = HitTest(event->position().toPoint());
    if (cell != selected_) Select(cell);
    Close(cell != kNoCell);
}

void ColorPalettePopup::keyPressEvent(QKeyEvent* event) {
    event->accept();
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (selected_ != kNoCell) {
                Close(true);
            } else {
                if (button_) picked_ = button_->Color();
                Close(false);
            }
            break;
        case Qt::Key_Escape:
            if (button_) picked_ = button_->Color();
            Close(false);
            break;
        case Qt::Key_Left:
            MoveSelection(-1);
            break;
        case Qt::Key_Right:
            MoveSelection(1);
            break;
        case Qt::Key_Up:
            MoveSelection(-PaletteColors::kColumns);
            break;
        case Qt::Key_Down:
            MoveSelection(PaletteColors::kColumns);
            break;
        default:
            break;
    }
}

void ColorPalettePopup::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

void ColorPalettePopup::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden by anything but our own close (a click in another window, the window system
    // taking the popup away): the choice is cancelled.
    if (!closing_) Close(false);
}
