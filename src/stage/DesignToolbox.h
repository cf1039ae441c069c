#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class AppData;
class ColorButton;
class MediaComboBox;
class QComboBox;
class QPushButton;
struct DesignSymbol;

// The small floating dialog of design mode: background, screen, element, font and colour of
// the selected element. Every change goes into AppData at once and is announced to the owner
// (the design window) with WM_DESIGN_CHANGED: 0 element look or selection, 1 background,
// 2 screen.
class DesignToolbox : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kScreenCount = 4;

    DesignToolbox(AppData& data, QWidget* owner);

    // Selects an element offered on the current screen and shows its look (notice 0); nothing
    // when it is not offered or already selected.
    void SelectElement(int id);
    // The selected element's id, -1 when none.
    int SelectedElement() const;
    // The elements offered on the current screen, in the box's order.
    std::vector<int> OfferedElements() const;

    // Elements offered on a screen, in order; the last is selected after a change of screen.
    static std::vector<int> ElementsOfScreen(int screen);
    static QStringList ScreenNames();
    // Font families to choose from: no vertical-writing faces, each once, sorted.
    static QStringList FontFamilies();

    MediaComboBox* BackgroundBox() const { return backgroundBox_; }
    QPushButton* BrowseButton() const { return browseButton_; }
    QComboBox* ScreenBox() const { return screenBox_; }
    QComboBox* ElementBox() const { return elementBox_; }
    QComboBox* FontBox() const { return fontBox_; }
    ColorButton* ColorPicker() const { return colorButton_; }
    const std::array<QRect, 5>& LabelRects() const { return labelRects_; }

    // Esc in the toolbox leaves design mode, as it does over the preview.
    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    DesignSymbol* Selected() const;
    void Notify(int what);
    void FillElements();
    void ShowElementLook();
    void PickScreen(int screen);
    void ApplyFont(const QString& family);
    void PreviewFont(int index);
    void OnColorNotice(int code, uint32_t colorRef, bool valid);
    void RenderBands();

    AppData& data_;
    QWidget* owner_;
    std::array<QRect, 5> labelRects_;
    MediaComboBox* backgroundBox_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QComboBox* screenBox_ = nullptr;
    QComboBox* elementBox_ = nullptr;
    QComboBox* fontBox_ = nullptr;
    ColorButton* colorButton_ = nullptr;
    // The family the font box shows for the selected element, listed or not.
    QString shownFont_;
    QImage buffer_;
};
