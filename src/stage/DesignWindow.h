#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>

#include <memory>
#include <vector>

#include "show/PixelScale.h"
#include "show/ShowRenderer.h"

class AppData;
class DesignToolbox;
class RoundState;

// Design mode: a full-screen preview of one show screen with the real background, title,
// first prize and names, painted by its own renderer, with the toolbox floating over it.
// Clicking an element selects it in the toolbox; Esc leaves.
class DesignWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kSampleNamesText = 12;
    static constexpr int kSampleNamesPicture = 6;

    // Covers screen (the primary screen when empty).
    explicit DesignWindow(AppData& data, QWidget* parent = nullptr, QRect screen = QRect());
    ~DesignWindow() override;

    DesignToolbox& Toolbox() { return *toolbox_; }
    ShowRenderer& Renderer() { return renderer_; }
    RoundState& Round() { return *round_; }
    const std::vector<int>& OfferedElements() const { return offered_; }
    // Paints the preview into the buffer now (a paint does this when it is stale).
    const QImage& Render();
    const QImage& Buffer() const { return buffer_; }

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void ShowToolbox();
    void PlaceToolbox();
    void OnDesignChanged(int what);
    void PreparePreview();
    void FillNames();
    // The first offered element whose last painted box holds the point, -1 when none.
    int ElementAt(const QPoint& pos) const;

    AppData& data_;
    QRect screen_;
    // Laid out and painted in device pixels, as the show is.
    PixelScale scale_;
    ShowRenderer renderer_;
    std::unique_ptr<RoundState> round_;
    DesignToolbox* toolbox_ = nullptr;  // owned as a child
    std::vector<int> offered_;
    QImage buffer_;
    bool stale_ = true;
    bool prizeSet_ = false;
    bool toolboxPlaced_ = false;
    bool frameKnown_ = false;
};
