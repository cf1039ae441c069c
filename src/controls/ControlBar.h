#pragma once

#include <QWidget>

class QPushButton;

// The grey bar along the bottom of the setup window with the button that starts the draw.
class ControlBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMargin = 8;
    static constexpr int kButtonWidth = 400;

    explicit ControlBar(QWidget* parent = nullptr);
    QPushButton* StartButton() const { return start_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QPushButton* start_;
};
