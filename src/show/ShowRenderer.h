#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "show/NameGrid.h"
#include "show/NamePainter.h"
#include "show/PrizePictures.h"
#include "show/ShowLayout.h"
#include "show/SpriteCache.h"

class AppData;
class QPainter;
class QRawFont;
class RoundState;
struct DesignSymbol;
struct RoundSelection;

// Paints the show screens (and the design preview) into a screen-sized image: background,
// titles, prize text and picture, the name grid, status and help lines, and the scrolling list
// of all winners. Everything expensive (background, scaled pictures, fonts and their metrics)
// is prepared once and reused, so a rolling tick only repaints the names area.
class ShowRenderer {
  public:
    // Sizes of a 1080-line screen; larger screens scale them (Scale()).
    static constexpr int kLineHeight = ShowLayout::kLineHeight;
    static constexpr uint32_t kStatusColor = 0xFF9ACD32;
    static constexpr uint32_t kShadowColor = 0xFF808080;
    static constexpr uint32_t kOutlineColor = 0x200080C0;
    static constexpr int kStatusBandHeight = ShowLayout::kStatusBandHeight;

    explicit ShowRenderer(AppData& data);
    ~ShowRenderer();
    ShowRenderer(const ShowRenderer&) = delete;
    ShowRenderer& operator=(const ShowRenderer&) = delete;

    // Computes every area for a screen in device pixels; call once before the first paint.
    void Layout(const QRect& screen);
    const ShowLayout& Geometry() const { return layout_; }
    // How much larger than on a 1080-line screen the fixed sizes are drawn (never below 1, so
    // small screens keep readable status lines).
    double Scale() const { return layout_.Scale(); }
    int LineHeight() const { return layout_.LineHeight(); }

    // Paints the whole screen of the round's state into target (screen size, ARGB32
    // premultiplied).
    void Paint(QImage& target, RoundState& round);
    // Repaints only the names area (background piece, then the names): the rolling tick.
    // Returns the pixels it changed: on a rolling tick only where names were or now are.
    QRegion PaintNames(QImage& target, RoundState& round);
    // The same tick in two steps, for a target that may only be written while it is painted
    // (a window's own backing store): first what it will change, then the change. PlanRoll
    // says false when the tick cannot be drawn so (the target then needs a whole paint).
    bool PlanRoll(const QImage& target, RoundState& round, QRegion& dirty);
    void DrawRoll(QImage& target);
    // Or the planned tick drawn by the display itself: PlannedRestore() copied from
    // Background(), then PlannedNames() drawn over it, clipped to NamesArea(); RollDrawn()
    // then tells the renderer that the names are where the plan put them.
    const QRegion& PlannedRestore() const { return planned_; }
    const std::vector<NamePainter::Placement>& PlannedNames() const { return placements_; }
    const QImage& Background() const { return background_; }
    QRgb PlannedColor() const { return std::get<2>(inkOf_); }  // of every planned name
    void RollDrawn();

    // Forgets the cached background; the next paint builds it from the current choice.
    void DropBackground();
    // Puts the finished list at its start position, two line heights above the status band.
    void StartScroll();
    // Moves the finished list up by one pixel, starting again from the bottom once it has
    // left the screen.
    void ScrollStep();

    QStringList& Lines() { return lines_; }
    const QStringList& Lines() const { return lines_; }
    int ScrollOffset() const { return scrollY_; }
    int TotalHeight() const { return totalHeight_; }

    const QString& HelpText() const { return helpText_; }
    void SetHelpText(const QString& text) { helpText_ = text; }

    const QRect& ScreenRect() const { return layout_.ScreenRect(); }
    const QRect& TopBand() const { return layout_.TopBand(); }
    const QRect& StatusBand() const { return layout_.StatusBand(); }
    const QRect& WelcomeArea() const { return layout_.WelcomeArea(); }
    const QRect& MainArea() const { return layout_.MainArea(); }
    const QRect& SmallPrizeBox() const { return layout_.SmallPrizeBox(); }
    const QRect& PictureColumn() const { return layout_.PictureColumn(); }
    const QRect& SmallPictureBox() const { return layout_.SmallPictureBox(); }
    const QRect& NamesArea() const { return layout_.NamesArea(); }

    // Largest even point size from 20 up whose text stays strictly inside the box shrunk to
    // ratio; 18 when even 20 does not fit.
    int FitFontSize(const QString& text, const QString& fontName, const QRect& box, double ratio);
    // Where an image of this size goes in the box: never enlarged, centred.
    static QRect FitPicture(const QSize& image, const QRect& box);
    // Gives every entry its grid cell in the names area (when the first cell is still empty):
    // the planned grid's cell on its page, or the cell by count when nothing was planned.
    void LayoutGrid(RoundState& round) const;
    // The size of one grid cell when count names are shown.
    QSize CellSize(int count) const { return layout_.CellSize(count); }
    // One point size for all names of a roll: fitted to the widest of texts (everyone the roll
    // may show) in the cell of count names, never below a legible floor. Names still wider
    // than their cell at the floor are shortened with an ellipsis when drawn.
    int FitNamesFont(const std::vector<QString>& texts, int count);
    // Plans the round's grid and pages for the widest of texts and fits its names' size.
    void PlanNames(RoundState& round, const std::vector<QString>& texts);
    int NamesFloorSize() const;

    // The status line of the prize, rolling and winners screens (empty without a prize).
    QString StatusLineText(const RoundState& round) const;
    // Who may win the current prize, as the prize screen says it under the prize (empty for a
    // prize without a rule of its own), and where it stands.
    QString PrizeRuleLine(const RoundState& round) const;
    // What the prize screen says in its large text: the prize, and "补抽 N 人" on a redraw.
    static QString PrizeScreenText(const RoundState& round);
    QRect PrizeRuleBox() const;

    // The bold show font of a family at a point size (cached).
    const QFont& ShowFont(const QString& family, int pointSize);
    // The family of the show's fixed texts (status, help, questions).
    static QString DefaultFamily();

  private:
    struct FontEntry {
        QFont font;
        std::unique_ptr<QFontMetricsF> metrics;
        // The same face at the em size in pixels, for outline paths.
        QFont pathFont;
        std::unique_ptr<QFontMetricsF> pathMetrics;
    };
    struct ElementLook {
        DesignSymbol* symbol = nullptr;
        QString family;
        int size = 36;
        uint32_t color = 0xFF000000;
    };
    enum class Align { Center, Bottom };

    FontEntry& Font(const QString& family, int pointSize);
    NameGrid PlanGrid(const std::vector<QString>& texts, int count, int* pointSize);
    void SyncResolution(const QImage& target);
    void EnsureBackground();
    void DrawBackground(QPainter& p, const QRect& area);
    ElementLook Look(int id, const QString& text, const QRect& box, double ratio);
    void DrawTextElement(QPainter& p, int id, const QString& text, const QRect& box, double ratio,
                         Align align, bool shadow);
    void DrawPicture(QPainter& p, RoundState& round, const QRect& box, bool large);
    // The look of the round's names (its cells laid out first).
    ElementLook NamesLook(RoundState& round, bool outlined);
    void DrawNames(QPainter& p, RoundState& round, bool outlined);
    void DrawStatusLine(QPainter& p, const RoundState& round);
    void DrawPrizeRule(QPainter& p, const RoundState& round);
    void DrawHelpText(QPainter& p);
    void DrawFingerprint(QPainter& p, const RoundState& round);
    void DrawCheckIn(QPainter& p, const RoundState& round);
    // A dark plate with a QR code of text at its left (made once per text, kept in code);
    // returns the room beside the code.
    QRect DrawCodePlate(QPainter& p, const QRect& plate, const QByteArray& text,
                        std::pair<QByteArray, QImage>& code);
    void DrawRehearsalMark(QPainter& p, const RoundState& round);
    // name: where the name stands; em: its height in pixels.
    void MarkVoided(QPainter& p, const QRect& cell, const QRectF& name, double em);
    int Scaled(int size) const { return layout_.Scaled(size); }
    void DrawFinishedList(QPainter& p);
    void DrawSelectionOutline(QPainter& p, const RoundState& round);
    const QImage& ScaledPicture(const QImage& source, int prizeId, bool isDefault,
                                const QSize& size);
    struct Sprite {
        QImage image;
        QPoint offset;  // of the image's top left from the text origin
    };
    struct TextSprite {
        QImage image;
        QPoint offset;  // of the image from the box's top left
        QRectF bounds;  // the text as measured in the box, from the box's top left
    };
    const TextSprite& ElementSprite(const QString& text, const QString& family, int pointSize,
                                    QRgb color, int flags, bool shadow, const QSize& box);
    QRegion InkedRegion() const;
    // Whether no two of the boxes overlap.
    static bool Disjoint(const std::vector<QRect>& boxes);
    const Sprite& OutlinedName(const QString& text, const QString& family, int pointSize,
                               QRgb color);

    AppData& data_;
    ShowLayout layout_;
    PrizePictures prizePictures_;

    QStringList lines_;
    int scrollY_ = 0;
    int totalHeight_ = 0;

    QImage background_;  // ready to copy, screen size; null until built
    // The QR codes on the plates, with the texts they were made for.
    std::pair<QByteArray, QImage> commitmentQr_;
    std::pair<QByteArray, QImage> checkInQr_;
    QString helpText_ = QStringLiteral("按空格键或回车键继续，按 Esc 键退出");

    // Point sizes are resolved against the target's resolution, the same for measuring
    // and drawing.
    int dpiX_ = 96;
    int dpiY_ = 96;
    QImage measureDevice_;
    NamePainter namePainter_;
    // Where the rolling names' pixels fell on the last paint, and the face, size and colour
    // they were drawn in.
    std::vector<QRect> ink_;
    std::tuple<QString, int, uint32_t> inkOf_;
    // A tick's names and the box each changes, kept to spare allocations.
    std::vector<NamePainter::Placement> placements_;
    std::vector<QRect> boxes_;
    bool boxesApart_ = false;  // each box redrawn on its own
    QRegion planned_;          // what the planned tick changes

    std::map<std::pair<QString, int>, FontEntry> fonts_;
    // Scaled prize pictures by prize, default-or-own, source size and target size.
    SpriteCache<std::tuple<int, bool, int, int, int, int>, QImage> pictures_;
    // Outlined winner names, ready to copy, by text, family, size and colour.
    SpriteCache<std::tuple<QString, QString, int, QRgb>, Sprite> outlines_;
    // Drawn text elements, ready to copy, by text, look, alignment and box size.
    SpriteCache<std::tuple<QString, QString, int, QRgb, int, int, int>, TextSprite> elements_;
};
