#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <memory>

#include "ui/Ui.h"

class AppData;
class CheckInService;
class DrawEngine;
struct SaveProblem;
class Banner;
class ControlBar;
class EscapeFilter;
class CandidateListTab;
class PrizeListTab;
class UiRulesTab;
class WinnerListTab;
class TabStrip;

// The setup window: banner, tab strip, the four pages and the control bar. Pages never call
// each other; they send notices here and this window forwards them.
class MainWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kOuterWidth = 780;
    static constexpr int kOuterHeight = 560;
    static constexpr int kBannerHeight = 90;
    static constexpr int kStripWidth = 200;
    static constexpr int kBarHeight = 60;
    static constexpr int kPageCount = 4;
    enum Page { kCandidatePage, kPrizePage, kUiPage, kWinnerPage };

    // What the window says and where it sends the operator when a draw cannot start.
    struct DrawFailure {
        QString text;  // empty: nothing is shown
        Ui::Icon icon = Ui::Icon::None;
        int tab = -1;  // -1: the page stays
    };
    static DrawFailure DescribeDrawFailure(int code, const QString& detail,
                                           const QString& drawKeyLabel);
    // The label of a draw key field as the UI-and-rules page names it.
    static QString FieldTypeLabel(int fieldType);
    // What the operator is told when a file cannot be saved.
    static QString SaveProblemText(const SaveProblem& problem);

    explicit MainWindow(AppData& data, QWidget* parent = nullptr);
    ~MainWindow() override;

    Banner* TheBanner() const { return banner_; }
    TabStrip* Strip() const { return strip_; }
    ControlBar* Bar() const { return bar_; }
    QWidget* PageAt(int index) const { return pages_[size_t(index)]; }
    PrizeListTab* Prizes() const { return prizeTab_; }
    // The draw of this window's shows, with the draw record of the data folder.
    DrawEngine& Engine() const { return *engine_; }
    CheckInService& CheckIn() const { return *checkIn_; }
    // The folder the bridge library is loaded from, for the import and the export.
    void SetBridgeFolder(const QString& folder);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    // The pages other than the prize page, each made in one place.
    QWidget* MakeCandidatePage();
    QWidget* MakeUiPage();
    QWidget* MakeWinnerPage();

    void HandleNotice(int number, int argument);
    void ShowPage(int index);
    // Runs the show, or a rehearsal of it that keeps nothing.
    void StartDraw(bool rehearsal);
    // Opens the operator's guide in the system's browser, or says where it is.
    void OpenGuide();
    void SaveFailed(const SaveProblem& problem);
    void RebuildWinnerPage();
    void SelectDrawKeyOnUiPage(int fieldType);
    QString DrawKeyLabel() const;

    void LayOutChildren();
    // Makes the outer size 780 x 560 (or the size the operator left it at) once the frame
    // around the client area is known; it never gets smaller than that.
    void FitOuterSize();
    QSize OuterSize() const;
    void RememberSize();
    void Centre();

    AppData& data_;
    std::unique_ptr<DrawEngine> engine_;
    std::unique_ptr<CheckInService> checkIn_;
    Banner* banner_;
    TabStrip* strip_;
    ControlBar* bar_;
    PrizeListTab* prizeTab_ = nullptr;
    UiRulesTab* uiTab_ = nullptr;
    CandidateListTab* candidateTab_ = nullptr;
    WinnerListTab* winnerTab_ = nullptr;
    std::array<QWidget*, kPageCount> pages_{};
    EscapeFilter* escape_;
    QSize fittedFrame_{-1, -1};
    bool toldOfSaveFailure_ = false;
};
