#pragma once

#include <QStringList>
#include <QWidget>

// The vertical list of page names at the left of the setup window. Choosing another entry
// sends WM_SELECT_TAB with its index to the parent.
class TabStrip : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kItemHeight = 48;
    static constexpr int kSelectionLeft = 5;
    static constexpr int kFontPoints = 11;

    explicit TabStrip(QWidget* parent = nullptr);

    void AddItem(const QString& caption);
    int ItemCount() const { return int(captions_.size()); }
    const QStringList& Captions() const { return captions_; }
    int SelectedIndex() const { return selected_; }
    // Selects and repaints; the parent hears of it only when the selection changes.
    void Select(int index);
    // The item under a point in client coordinates, or -1.
    int HitTest(QPoint point) const;

  protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void UpdateCursor(QPoint point);

    QStringList captions_;
    int selected_ = -1;
};
