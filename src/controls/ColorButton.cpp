#include "controls/ColorButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

#include "controls/ColorPalettePopup.h"
#include "ui/Ui.h"

namespace {
// The classic 3-D edge, in pixels, that frames the button's content.
constexpr int kEdgeX = 2;
constexpr int kEdgeY = 2;
constexpr int kArrowWidth = 4;
constexpr int kArrowHeight = 2;
const QColor kFace(225, 225, 225);
}  // namespace

ColorButton::ColorButton(QWidget* parent)
    : QPushButton(parent),
      // Stands in for the desktop's "application workspace" colour.
      defaultColor_(FromQColor(QApplication::palette().color(QPalette::Dark))),
      defaultText_(QStringLiteral("Automatic")),
      customText_(QStringLiteral("More Colors...")) {
    connect(this, &QPushButton::clicked, this, &ColorButton::OpenPalette);
}

ColorButton::~ColorButton() {
    // The palette is a child and dies with the button; it must not call back into a button
    // that is half gone.
    if (palette_) palette_->Abandon();
}

void ColorButton::SetColor(uint32_t colorRef) {
    color_ = colorRef;
    update();
}

void ColorButton::SetDefaultColor(uint32_t colorRef) {
    defaultColor_ = colorRef;
    update();
}

uint32_t ColorButton::ShownColor() const {
    return color_ == kAutomatic ? defaultColor_ : color_;
}

QColor ColorButton::ToQColor(uint32_t colorRef) {
    if (colorRef == kAutomatic) return QColor();
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

uint32_t ColorButton::FromQColor(const QColor& color) {
    if (!color.isValid()) return kAutomatic;
    const QColor c = color.toRgb();
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

void ColorButton::OpenPalette() {
    if (paletteOpen_) return;
    paletteOpen_ = true;
    update();
    emit notify(kDropDown, color_, true);
    colorBeforeDropDown_ = color_;
    // Owned by the button as its Qt child; it deletes itself once closed.
    auto* palette = new ColorPalettePopup(*this);
    palette_ = palette;
    palette->Popup();
}

void ColorButton::PaletteSelected(uint32_t colorRef, bool valid) {
    if (!trackSelection_) return;
    if (valid) color_ = colorRef;
    update();
    emit notify(kSelectionChanged, color_, valid);
}

void ColorButton::PaletteClosed(bool accepted, bool custom, uint32_t picked) {
    palette_ = nullptr;
    bool ok = accepted;
    if (accepted && custom) {
        const std::optional<QColor> chosen = Ui::ChooseColor(this, ToQColor(ShownColor()));
        if (chosen && chosen->isValid())
            color_ = FromQColor(*chosen);
        else
            ok = false;
    } else if (accepted) {
        color_ = picked;
    }
    paletteOpen_ = false;

    int final = kEndedAccepted;
    if (ok) {
        if (color_ != colorBeforeDropDown_) emit notify(kSelectionChanged, color_, true);
    } else {
        if (trackSelection_ && color_ != colorBeforeDropDown_) {
            color_ = colorBeforeDropDown_;
            emit notify(kSelectionChanged, color_, true);
        }
        final = kEndedCancelled;
    }
    emit notify(kCloseUp, color_, true);
    emit notify(final, color_, true);
    update();
}

void ColorButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    p.fillRect(r, kFace);

    if (isDown() || paletteOpen_) r.translate(1, 1);
    if (hasFocus() || paletteOpen_) {
        QPen pen(Qt::black, 0, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        // One pixel narrower than the content, drawn on its outermost pixels.
        p.drawRect(QRect(r.left(), r.top(), r.width() - 1, r.height()).adjusted(0, 0, -1, -1));
    }
    r.adjust(kEdgeX, kEdgeY, -kEdgeX, -kEdgeY);

    const int arrowRight = r.left() + r.width() - kEdgeX / 2;  // one past the last pixel
    const int arrowLeft = arrowRight - kArrowWidth;
    const int arrowTop = r.top() + r.height() / 2 - kArrowHeight / 2;
    const QColor arrowColor =
        isEnabled() ? QColor(Qt::black) : palette().color(QPalette::Disabled, QPalette::Text);
    // A downward triangle drawn row by row, so it stays crisp at this tiny size.
    for (int row = 0; row < kArrowHeight; ++row)
        p.fillRect(QRect(arrowLeft + row, arrowTop + row, kArrowWidth - 2 * row, 1), arrowColor);

    if (!isEnabled()) return;
    const int swatchRight = arrowLeft - (kEdgeX / 2 + 2 * kEdgeX + 1);
    QRect swatch(r.left(), r.top(), swatchRight - r.left(), r.height());
    swatch.adjust(1, 1, -1, -1);
    if (swatch.width() <= 0 || swatch.height() <= 0) return;
    p.fillRect(swatch, ToQColor(ShownColor() & 0x00FFFFFFu));
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void ColorButton::enterEvent(QEnterEvent* event) {
    mouseOver_ = true;
    update();
    QPushButton::enterEvent(event);
}

void ColorButton::leaveEvent(QEvent* event) {
    mouseOver_ = false;
    update();
    QPushButton::leaveEvent(event);
}

ColorPalettePopup* ColorButton::Palette() const {
    return palette_.data();
}
