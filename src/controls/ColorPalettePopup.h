#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>

class ColorButton;

// The palette a ColorButton drops down: a default-colour box on top, the grid of named
// colours and a box that opens the colour dialog. It lives from the click to the close and
// tells its button about every selection and about the close.
class ColorPalettePopup : public QWidget {
    Q_OBJECT
  public:
    // Cells are colour indices 0..39 or one of these.
    static constexpr int kDefaultBox = -3;
    static constexpr int kCustomBox = -2;
    static constexpr int kNoCell = -1;

    static constexpr int kCellSize = 18;
    // The raised 3-D edge around the window.
    static constexpr int kEdge = 2;

    // Laid out for the button's texts and colour; shown by Popup().
    explicit ColorPalettePopup(ColorButton& button);
    ~ColorPalettePopup() override;

    // Shows the window below the button, held inside the screen the button is on.
    void Popup();

    // Where a window of this size goes for a button with the given screen rectangle: below
    // its lower-left corner, moved left or right to stay inside area and above the button
    // when it would pass the bottom. An empty area holds nothing back.
    static QPoint Placement(const QRect& buttonOnScreen, QSize size, const QRect& area);

    // Geometry in window coordinates; a missing box has an empty rectangle.
    QRect DefaultBoxRect() const { return defaultBox_; }
    QRect GridRect() const { return grid_; }
    QRect CustomBoxRect() const { return customBox_; }
    QRect CellRect(int cell) const;
    int HitTest(QPoint point) const;

    int SelectedCell() const { return selected_; }
    int CurrentCell() const { return current_; }
    uint32_t PickedColor() const { return picked_; }
    // The text the tooltip shows at point: a colour's name over its cell, else empty.
    QString ToolTipAt(QPoint point) const;

    // Cuts the tie to the button, which is going away: nothing is reported any more.
    void Abandon();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void Layout();
    void Select(int cell);
    void MoveSelection(int delta);
    void Close(bool accepted);
    void PaintCell(QPainter& painter, int cell) const;
    bool HasDefaultBox() const { return !defaultText_.isEmpty(); }
    bool HasCustomBox() const { return !customText_.isEmpty(); }

    ColorButton* button_;
    QString defaultText_;
    QString customText_;
    uint32_t defaultColor_;
    QRect defaultBox_;
    QRect grid_;
    QRect customBox_;
    int selected_ = kNoCell;
    int current_ = kNoCell;
    uint32_t picked_;
    bool closing_ = false;
};
