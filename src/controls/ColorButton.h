#pragma once

#include <QColor>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <cstdint>

class ColorPalettePopup;

// A push button that shows a swatch of its colour and a small down arrow; a click drops down
// a palette of named colours. Colours are colour references (0x00BBGGRR); kAutomatic stands
// for "the default colour" and is painted as such. Every step of a choice is reported through
// notify() with one of the k* codes.
class ColorButton : public QPushButton {
    Q_OBJECT
  public:
    static constexpr int kSelectionChanged = 0x8000;
    static constexpr int kDropDown = 0x8001;
    static constexpr int kCloseUp = 0x8002;
    static constexpr int kEndedAccepted = 0x8003;
    static constexpr int kEndedCancelled = 0x8004;

    static constexpr uint32_t kAutomatic = 0xFF000000u;

    explicit ColorButton(QWidget* parent = nullptr);
    ~ColorButton() override;

    void SetColor(uint32_t colorRef);
    uint32_t Color() const { return color_; }
    void SetDefaultColor(uint32_t colorRef);
    uint32_t DefaultColor() const { return defaultColor_; }
    // An empty text leaves the box out of the palette.
    void SetDefaultText(const QString& text) { defaultText_ = text; }
    QString DefaultText() const { return defaultText_; }
    void SetCustomText(const QString& text) { customText_ = text; }
    QString CustomText() const { return customText_; }
    // When set, the colour follows the palette's selection while it is open.
    void SetTrackSelection(bool track) { trackSelection_ = track; }
    bool TrackSelection() const { return trackSelection_; }

    // The colour the swatch shows: the default colour in place of kAutomatic.
    uint32_t ShownColor() const;

    // Drops the palette down, as a click does. It stays open after this returns; the end of
    // the choice arrives through notify(). Does nothing while the palette is already open.
    void OpenPalette();
    bool IsPaletteOpen() const { return paletteOpen_; }
    // The open palette, or nullptr.
    ColorPalettePopup* Palette() const;
    bool IsMouseOver() const { return mouseOver_; }

    // kAutomatic maps to an invalid QColor and back; the alpha of a QColor is dropped.
    static QColor ToQColor(uint32_t colorRef);
    static uint32_t FromQColor(const QColor& color);

  signals:
    void notify(int code, uint32_t colorRef, bool valid);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    friend class ColorPalettePopup;
    // The palette's selection moved; valid is false when it moved off every cell.
    void PaletteSelected(uint32_t colorRef, bool valid);
    // The palette has closed. custom: accepted on the box that opens the colour dialog.
    void PaletteClosed(bool accepted, bool custom, uint32_t picked);

    uint32_t color_ = kAutomatic;
    uint32_t defaultColor_;
    QString defaultText_;
    QString customText_;
    bool trackSelection_ = false;
    bool paletteOpen_ = false;
    bool mouseOver_ = false;
    uint32_t colorBeforeDropDown_ = kAutomatic;
    QPointer<ColorPalettePopup> palette_;
};
