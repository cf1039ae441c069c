#pragma once

#include <QRect>
#include <QSize>
#include <QString>

// Where everything stands on a show screen of a given size in device pixels: the bands and
// areas of the screens and the grid of the names. Pure geometry, so painting, hit tests and
// the fitting of the names' size all use the same cells.
class ShowLayout {
  public:
    // Sizes of a 1080-line screen; larger screens scale them (Scale()).
    static constexpr int kLineHeight = 65;
    static constexpr int kStatusBandHeight = 85;

    // Where a background's ornaments stand, as shares of the screen: text keeps out of them.
    struct Ornaments {
        double titleInset = 0;  // the top band's text keeps this share of the width each side
        double namesTop = 0;    // the names start no higher than this share of the height
        double frame = 0;       // a frame along every edge, as a share of the height
    };
    // The ornaments of the built-in backgrounds, by their file name; none for another.
    static Ornaments OrnamentsOf(const QString& backgroundFile);

    ShowLayout() = default;
    // pictureMode: the prize picture takes the left column (PrizeLayout::Picture).
    ShowLayout(const QRect& screen, bool pictureMode, const Ornaments& ornaments);

    // How much larger than on a 1080-line screen the fixed sizes are drawn (never below 1, so
    // small screens keep readable status lines).
    double Scale() const { return scale_; }
    int Scaled(int size) const;
    bool PictureMode() const { return pictureMode_; }
    int LineHeight() const { return lineHeight_; }

    const QRect& ScreenRect() const { return screen_; }
    const QRect& TopBand() const { return topBand_; }
    // The part of the top band the small title is fitted in: clear of the ornaments.
    const QRect& TitleBox() const { return titleBox_; }
    // The plate of the show's fingerprint and its QR code, low at the right of the welcome and
    // finished screens, and the welcome title's box above it.
    const QRect& FingerprintPlate() const { return fingerprintPlate_; }
    const QRect& WelcomeTitleBox() const { return welcomeTitleBox_; }
    // Bottom left, beside the fingerprint: the guests' check-in code and count.
    const QRect& CheckInPlate() const { return checkInPlate_; }
    const QRect& StatusBand() const { return statusBand_; }
    const QRect& WelcomeArea() const { return welcomeArea_; }
    const QRect& MainArea() const { return mainArea_; }
    const QRect& SmallPrizeBox() const { return smallPrizeBox_; }
    const QRect& PictureColumn() const { return pictureColumn_; }
    const QRect& SmallPictureBox() const { return smallPictureBox_; }
    const QRect& NamesArea() const { return namesArea_; }

    // How many columns count names stand in.
    int Columns(int count) const;
    // The size of one grid cell when count names are shown.
    QSize CellSize(int count) const;
    // The cell of name index among count, one pixel inside its share of the names area.
    QRect Cell(int index, int count) const;

  private:
    QRect screen_;
    QRect topBand_;
    QRect titleBox_;
    QRect fingerprintPlate_;
    QRect welcomeTitleBox_;
    QRect checkInPlate_;
    QRect statusBand_;
    QRect welcomeArea_;
    QRect mainArea_;
    QRect smallPrizeBox_;
    QRect pictureColumn_;
    QRect smallPictureBox_;
    QRect namesArea_;
    bool pictureMode_ = true;
    double scale_ = 1.0;
    int lineHeight_ = kLineHeight;
};
