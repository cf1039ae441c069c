#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The grey bar along the bottom of the setup window: a status line on the left (where the
// files are kept, or what could not be saved), the guide and rehearsal buttons and the wide
// button that starts the draw.
class ControlBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMargin = 8;
    static constexpr int kButtonWidth = 400;
    static constexpr int kRehearseWidth = 90;
    static constexpr int kGuideWidth = 90;

    explicit ControlBar(QWidget* parent = nullptr);
    QPushButton* StartButton() const { return start_; }
    QPushButton* RehearseButton() const { return rehearse_; }
    QPushButton* GuideButton() const { return guide_; }
    QLabel* Status() const { return status_; }

    // Where the operator's files are kept; shown on the bar and as its tooltip.
    void SetDataFolder(const QString& folder);
    // A save problem stays on the bar until ClearWarning.
    void ShowWarning(const QString& text);
    void ClearWarning();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowFolder();

    QPushButton* start_;
    QPushButton* rehearse_;
    QPushButton* guide_;
    QLabel* status_;
    QString folder_;
    QString warning_;
};
