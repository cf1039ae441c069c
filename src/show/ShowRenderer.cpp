#include "show/ShowRenderer.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <limits>

#include "draw/PrizeRuleText.h"
#include "draw/RoundState.h"
#include "model/AppData.h"
#include "model/DesignSymbol.h"
#include "model/Prize.h"
#include "show/NameGrid.h"
#include "show/NameWidths.h"
#include "show/PixelOps.h"
#include "show/QrImage.h"

namespace {

const QString kDefaultFamily = QStringLiteral("微软雅黑");
constexpr int kMissingElementSize = 36;
constexpr int kStatusPointSize = 14;
// Photographed from the back of the room: well above 28 px at 1080 lines.
constexpr int kFingerprintPointSize = 30;
constexpr int kFingerprintLabelPointSize = 16;
constexpr int kListPointSize = 32;
// 28 on the original screens; 24 keeps the help line clear of the gold frame along the
// bottom of the built-in backgrounds.
constexpr int kHelpOffset = 24;
constexpr int kRehearsalPointSize = 28;
// The rule of a prize under its name: as large as a heading, never below a size the back of the
// hall reads.
constexpr int kRuleLargestPointSize = 40;
constexpr int kRuleFloorPointSize = 20;
// Names never get smaller than this (at 1080 lines) to fit the widest of a roll.
// Read from the back of a hall even in a crowded grid; rounds that do not fit at it take pages.
constexpr int kNamesFloorPointSize = 18;
constexpr int kLargestNamesSize = 400;
// Beyond any screen; stops the fit loop for texts that measure as nothing.
constexpr int kLargestFitSize = 2000;
// Bounds of the small caches; a show only ever needs a handful of entries.
constexpr size_t kMaxPictures = 32;
constexpr size_t kMaxOutlineBytes = size_t(64) << 20;
constexpr size_t kMaxElementBytes = size_t(96) << 20;

// Design colours keep red in the low byte; they are always drawn opaque.
QColor OpaqueFromReference(uint32_t ref) {
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

QRect Truncated(const QRectF& r) {
    return QRect(int(r.x()), int(r.y()), int(r.width()), int(r.height()));
}

}  // namespace

ShowRenderer::ShowRenderer(AppData& data)
    : data_(data),
      prizePictures_(data.ProgramDir()),
      measureDevice_(1, 1, QImage::Format_ARGB32_Premultiplied),
      pictures_(std::numeric_limits<size_t>::max(), kMaxPictures),
      outlines_(kMaxOutlineBytes),
      elements_(kMaxElementBytes) {
    namePainter_.SetDevice(&measureDevice_);
}

ShowRenderer::~ShowRenderer() = default;

void ShowRenderer::Layout(const QRect& screen) {
    // A built-in picture that is missing gives the plain gradient, which has no ornaments.
    const QString background = data_.BackgroundList().SelectedPath();
    layout_ = ShowLayout(screen, data_.PrizeUIType() == PrizeLayout::Picture,
                         QFileInfo(background).isFile() ? ShowLayout::OrnamentsOf(background)
                                                        : ShowLayout::Ornaments{});
    if (!background_.isNull() && background_.size() != ScreenRect().size()) background_ = QImage();
    pictures_.Clear();
}

void ShowRenderer::DropBackground() {
    background_ = QImage();
    // Another picture has other ornaments to keep out of.
    if (!ScreenRect().isEmpty()) Layout(ScreenRect());
}

void ShowRenderer::StartScroll() {
    scrollY_ = StatusBand().top() - 2 * LineHeight();
    totalHeight_ = LineHeight() * int(lines_.size());
}

void ShowRenderer::ScrollStep() {
    if (scrollY_ + totalHeight_ - 1 < 0)
        scrollY_ = StatusBand().top() - LineHeight();
    else
        --scrollY_;
}

void ShowRenderer::SyncResolution(const QImage& target) {
    const int dx = target.logicalDpiX();
    const int dy = target.logicalDpiY();
    if (dx == dpiX_ && dy == dpiY_) return;
    dpiX_ = dx;
    dpiY_ = dy;
    measureDevice_.setDotsPerMeterX(target.dotsPerMeterX());
    measureDevice_.setDotsPerMeterY(target.dotsPerMeterY());
    fonts_.clear();
    outlines_.Clear();
    namePainter_.Clear();
    elements_.Clear();
}

ShowRenderer::FontEntry& ShowRenderer::Font(const QString& family, int pointSize) {
    const auto key = std::make_pair(family, pointSize);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;

    FontEntry e;
    // A family the system lacks falls back to the generic sans-serif face.
    e.font.setFamilies({family.isEmpty() ? kDefaultFamily : family, QStringLiteral("sans-serif")});
    e.font.setStyleHint(QFont::SansSerif);
    e.font.setPointSize(pointSize);
    e.font.setBold(true);
    e.metrics = std::make_unique<QFontMetricsF>(e.font, &measureDevice_);
    return fonts_.emplace(key, std::move(e)).first->second;
}

QString ShowRenderer::DefaultFamily() {
    return kDefaultFamily;
}

const QFont& ShowRenderer::ShowFont(const QString& family, int pointSize) {
    return Font(family, pointSize).font;
}

int ShowRenderer::FitFontSize(const QString& text, const QString& fontName, const QRect& box,
                              double ratio) {
    const int dx = int((1 - ratio) * 0.5 * box.width());
    const int dy = int((1 - ratio) * 0.5 * box.height());
    const QRect inner = box.adjusted(dx, dy, -dx, -dy);

    int best = 18;
    for (int size = 20; size <= kLargestFitSize; size += 2) {
        const QRectF m =
            Font(fontName, size).metrics->boundingRect(QRectF(), Qt::AlignCenter, text);
        if (m.height() >= inner.height() || m.width() >= inner.width()) break;
        best = size;
    }
    return best;
}

QRect ShowRenderer::FitPicture(const QSize& image, const QRect& box) {
    const int w = image.width();
    const int h = image.height();
    if (w <= 0 || h <= 0 || box.isEmpty()) return QRect();
    const int bw = box.width();
    const int bh = box.height();
    double width = w;
    double height = h;
    if (w > bw || h > bh) {
        const double aspect = double(w) / h;
        width = bw;
        height = bw / aspect;
        if (height > bh) {
            height = bh;
            width = aspect * bh;
        }
    }
    return QRect(box.x() + int((bw - width) / 2), box.y() + int((bh - height) / 2), int(width),
                 int(height));
}

int ShowRenderer::NamesFloorSize() const {
    return Scaled(kNamesFloorPointSize);
}

NameGrid ShowRenderer::PlanGrid(const std::vector<QString>& texts, int count, int* pointSize) {
    const DesignSymbol* symbol = data_.FindSymbol(DesignElement::RollingNames);
    const QString family =
        symbol && !symbol->FontName.isEmpty() ? symbol->FontName : kDefaultFamily;
    // Measured at one size; widths grow in step with the size, so the widest stays widest.
    const QFontMetricsF& reference = *Font(family, NameGrid::kReferencePointSize).metrics;
    NameWidths widths(reference);
    const qsizetype widest = widths.Widest(texts);
    QString text = widest >= 0 ? texts[size_t(widest)] : QString();
    if (text.trimmed().isEmpty()) text = QStringLiteral("中");
    const QSizeF extent = reference.boundingRect(QRectF(), Qt::AlignCenter, text).size();
    const NameGrid grid = NameGrid::Plan(NamesArea().size(), count, extent, NamesFloorSize());

    // The estimate chose the grid; the size itself is measured, largest that fits, found by
    // halving (the fit loop of single elements would take hundreds of measurements at 4K).
    const QRect cell(QPoint(0, 0), grid.Cell(QRect(QPoint(0, 0), NamesArea().size()), 0).size());
    // Nearly the whole width: one long key must not make everyone's name unreadable.
    const int dx = int((1 - NameGrid::WidthShare(grid.columns)) / 2 * cell.width());
    const int dy = int((1 - NameGrid::kHeightShare) / 2 * cell.height());
    const QRect inner = cell.adjusted(dx, dy, -dx, -dy);
    auto fits = [&](int size) {
        const QRectF m = Font(family, size).metrics->boundingRect(QRectF(), Qt::AlignCenter, text);
        return m.width() < inner.width() && m.height() < inner.height();
    };
    int lo = NamesFloorSize();
    if (fits(lo)) {
        int hi = kLargestNamesSize;
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (fits(mid))
                lo = mid;
            else
                hi = mid - 1;
        }
    }
    if (pointSize) *pointSize = lo;
    return grid;
}

int ShowRenderer::FitNamesFont(const std::vector<QString>& texts, int count) {
    int size = 0;
    PlanGrid(texts, count, &size);
    return size;
}

void ShowRenderer::PlanNames(RoundState& round, const std::vector<QString>& texts) {
    const NameGrid grid = PlanGrid(texts, round.batchSize, &round.namesPointSize);
    round.columns = grid.columns;
    round.rows = grid.rows;
    round.perPage = grid.perPage;
    round.page = 0;
    for (RoundSelection& entry : round.selection) entry.cell = QRect();
}

void ShowRenderer::LayoutGrid(RoundState& round) const {
    std::vector<RoundSelection>& selection = round.selection;
    const int n = int(selection.size());
    if (round.columns <= 0 || round.perPage <= 0) {
        for (int i = 0; i < n; ++i) selection[size_t(i)].cell = layout_.Cell(i, n);
        return;
    }
    NameGrid grid;
    grid.columns = round.columns;
    grid.rows = round.rows;
    for (int i = 0; i < n; ++i)
        selection[size_t(i)].cell = grid.Cell(NamesArea(), i % round.perPage);
}

void ShowRenderer::EnsureBackground() {
    if (!background_.isNull()) return;
    const QSize size = ScreenRect().size();
    if (size.isEmpty()) return;

    const QString path = data_.BackgroundList().SelectedPath();
    if (!path.isEmpty() && QFileInfo(path).isFile()) {
        QImageReader reader(path);
        const QImage decoded = reader.read();
        if (!decoded.isNull()) {
            // Opaque like the show's own buffer, so restoring it is a plain copy.
            background_ = decoded.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGB32);
            return;
        }
    }

    // The built-in look, kept as a ready image like a decoded file.
    background_ = QImage(size, QImage::Format_RGB32);
    background_.fill(QColor::fromRgba(0xFFFF0000));
    QPainter p(&background_);
    const QRect& topBand = TopBand();
    QLinearGradient top(0, topBand.top(), 0, topBand.top() + topBand.height());
    top.setColorAt(0, QColor::fromRgba(0xFFFF8080));
    top.setColorAt(1, QColor::fromRgba(0xFFFF0000));
    p.fillRect(topBand, top);
    const QRect& statusBand = StatusBand();
    QLinearGradient status(0, statusBand.top(), 0, statusBand.top() + statusBand.height());
    status.setColorAt(0, QColor::fromRgba(0xFFC40000));
    status.setColorAt(1, QColor::fromRgba(0xFFFF0000));
    p.fillRect(statusBand, status);
}

void ShowRenderer::DrawBackground(QPainter& p, const QRect& area) {
    if (background_.isNull()) return;
    // A straight copy: the background covers every pixel, nothing to blend with.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(area.topLeft(), background_, area);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

ShowRenderer::ElementLook ShowRenderer::Look(int id, const QString& text, const QRect& box,
                                             double ratio) {
    ElementLook look;
    look.symbol = data_.FindSymbol(id);
    if (!look.symbol) {
        look.family = kDefaultFamily;
        look.size = kMissingElementSize;
        look.color = 0xFF000000;
        return look;
    }
    look.family = look.symbol->FontName.isEmpty() ? kDefaultFamily : look.symbol->FontName;
    // Only -1 is written by the program; any other size below 1 would make no font either.
    if (look.symbol->fontSize < 1)
        look.symbol->fontSize = FitFontSize(text, look.family, box, ratio);
    look.size = look.symbol->fontSize;
    look.color = OpaqueFromReference(look.symbol->Color).rgba();
    return look;
}

void ShowRenderer::DrawTextElement(QPainter& p, int id, const QString& text, const QRect& box,
                                   double ratio, Align align, bool shadow) {
    if (box.isEmpty()) return;
    const ElementLook look = Look(id, text, box, ratio);
    const int flags =
        Qt::AlignHCenter | (align == Align::Center ? Qt::AlignVCenter : Qt::AlignBottom);
    const TextSprite& sprite =
        ElementSprite(text, look.family, look.size, look.color, flags, shadow, box.size());
    if (!sprite.image.isNull()) p.drawImage(box.topLeft() + sprite.offset, sprite.image);
    if (look.symbol) look.symbol->box = Truncated(sprite.bounds.translated(box.topLeft()));
}

const ShowRenderer::TextSprite& ShowRenderer::ElementSprite(const QString& text,
                                                            const QString& family, int pointSize,
                                                            QRgb color, int flags, bool shadow,
                                                            const QSize& box) {
    const auto key = std::make_tuple(text, family, pointSize, color, flags | (shadow ? 1 << 30 : 0),
                                     box.width(), box.height());
    if (const TextSprite* kept = elements_.Find(key)) return *kept;
    // Large glyphs are drawn from their outlines on every paint, which makes a full screen
    // slow at 4K; a text element changes only between steps, so it is drawn once, kept and
    // copied.
    const FontEntry& f = Font(family, pointSize);
    const QRectF local(QPointF(0, 0), QSizeF(box));
    TextSprite sprite;
    sprite.bounds = f.metrics->boundingRect(local, flags, text);
    const int margin = 4 + int(f.metrics->height() / 4);
    const QRect area =
        sprite.bounds.toAlignedRect().adjusted(-margin, -margin, margin + 1, margin + 1);
    if (!area.isEmpty()) {
        sprite.offset = area.topLeft();
        sprite.image = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
        sprite.image.setDotsPerMeterX(measureDevice_.dotsPerMeterX());
        sprite.image.setDotsPerMeterY(measureDevice_.dotsPerMeterY());
        sprite.image.fill(Qt::transparent);
        QPainter p(&sprite.image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        p.translate(-area.topLeft());
        p.setFont(f.font);
        if (shadow) {
            p.setPen(QColor::fromRgba(kShadowColor));
            p.drawText(local.translated(1, 1), flags, text);
        }
        p.setPen(QColor::fromRgba(color));
        p.drawText(local, flags, text, &sprite.bounds);
    }
    const size_t bytes = size_t(sprite.image.sizeInBytes());
    return elements_.Insert(key, std::move(sprite), bytes);
}

const QImage& ShowRenderer::ScaledPicture(const QImage& source, int prizeId, bool isDefault,
                                          const QSize& size) {
    const auto key = std::make_tuple(prizeId, isDefault, source.width(), source.height(),
                                     size.width(), size.height());
    if (const QImage* kept = pictures_.Find(key)) return *kept;
    QImage scaled = source.size() == size
                        ? source
                        : source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage ready = scaled.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const size_t bytes = size_t(ready.sizeInBytes());
    return pictures_.Insert(key, std::move(ready), bytes);
}

void ShowRenderer::DrawPicture(QPainter& p, RoundState& round, const QRect& box, bool large) {
    if (box.isEmpty()) return;
    bool isDefault = true;
    const QImage& source = prizePictures_.For(round.prizeImage, &isDefault);
    if (source.isNull()) return;
    // A small picture keeps the size it has on a 1080-line screen, in proportion.
    QRect r = FitPicture(source.size() * Scale(), box);
    if (r.isEmpty()) return;
    if (large)
        r.moveRight(box.right());
    else
        r.moveTop(box.top());
    p.drawImage(r.topLeft(), ScaledPicture(source, round.prizeId, isDefault, r.size()));
}

const ShowRenderer::Sprite& ShowRenderer::OutlinedName(const QString& text, const QString& family,
                                                       int pointSize, QRgb color) {
    const auto key = std::make_tuple(text, family, pointSize, color);
    if (const Sprite* kept = outlines_.Find(key)) return *kept;
    // Stroking large glyph outlines is by far the dearest drawing of the show, so each name is
    // stroked and filled once into a picture of its own and copied from then on.
    QPainterPath path;
    path.addText(QPointF(0, 0), Font(family, pointSize).pathFont, text);
    const QRect bounds = path.boundingRect().toAlignedRect().adjusted(-4, -4, 4, 4);
    Sprite sprite;
    sprite.offset = bounds.topLeft();
    sprite.image = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    sprite.image.fill(Qt::transparent);
    {
        QPainter p(&sprite.image);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-bounds.topLeft());
        p.strokePath(path, QPen(QColor::fromRgba(kOutlineColor), 5));
        p.fillPath(path, QColor::fromRgba(color));
    }
    const size_t bytes = size_t(sprite.image.sizeInBytes());
    return outlines_.Insert(key, std::move(sprite), bytes);
}

void ShowRenderer::MarkVoided(QPainter& p, const QRect& cell, const QRectF& name, double em) {
    // A voided winner stays readable but plainly out: dimmed (drawn so by the caller), struck
    // through with a bold line, and "未到场" beside the name.
    const double w = std::min(name.width() + 2 * Scaled(10), double(cell.width()));
    const QPointF centre(name.center().x(), name.center().y());
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QLineF line(centre.x() - w / 2, centre.y(), centre.x() + w / 2, centre.y());
    p.setPen(QPen(QColor(60, 0, 0), std::max(6.0, em * 0.16), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(line);
    p.setPen(QPen(Qt::white, std::max(3.0, em * 0.08), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(line);
    // The badge: a third of the name's height, at its upper right, kept inside the cell.
    const int badgeSize = std::max(Scaled(14), qRound(em * 72.0 / std::max(1, dpiY_) * 0.34));
    const FontEntry& f = Font(kDefaultFamily, badgeSize);
    const QString text = QStringLiteral("未到场");
    const QSizeF size(f.metrics->horizontalAdvance(text) + 2 * Scaled(8),
                      f.metrics->height() + Scaled(4));
    QRectF badge(QPointF(name.right() - size.width() * 0.3, name.top() - size.height() * 0.35),
                 size);
    if (badge.right() > cell.right()) badge.moveRight(cell.right());
    if (badge.top() < cell.top()) badge.moveTop(cell.top());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 0, 0, 235));
    p.drawRoundedRect(badge, Scaled(6), Scaled(6));
    p.setPen(Qt::white);
    p.setFont(f.font);
    p.drawText(badge, Qt::AlignCenter, text);
    p.restore();
}

ShowRenderer::ElementLook ShowRenderer::NamesLook(RoundState& round, bool outlined) {
    const int id = outlined ? DesignElement::WinnerNames : DesignElement::RollingNames;
    auto& selection = round.selection;
    if (selection.front().cell.isEmpty()) LayoutGrid(round);
    // In a show every name of the round has the size fitted when its roll started; set first,
    // so Look does not fit a size of its own inside the first 20 ms tick only to drop it.
    if (round.namesPointSize > 0)
        if (DesignSymbol* s = data_.FindSymbol(id)) s->fontSize = round.namesPointSize;
    ElementLook look = Look(id, selection.front().text, selection.front().cell, 0.6);
    if (round.namesPointSize > 0) look.size = round.namesPointSize;
    if (look.symbol) look.symbol->box = NamesArea();
    return look;
}

void ShowRenderer::DrawNames(QPainter& p, RoundState& round, bool outlined) {
    auto& selection = round.selection;
    if (selection.empty()) return;
    const ElementLook look = NamesLook(round, outlined);
    FontEntry& f = Font(look.family, look.size);
    if (outlined && !f.pathMetrics) {
        // Outlines are built at the em size in pixels of the target's resolution.
        f.pathFont = f.font;
        f.pathFont.setPixelSize(std::max(1, qRound(dpiY_ * look.size / 72.0)));
        f.pathMetrics = std::make_unique<QFontMetricsF>(f.pathFont);
    }

    if (!outlined) {
        // A rolling tick repaints the names area only, so a name wider than the area is cut at
        // its edge on every paint; otherwise pieces of it would stay behind outside the area.
        p.save();
        p.setClipRect(NamesArea(), Qt::IntersectClip);
        // Where the ink went, so the next tick restores no more than that.
        ink_.clear();
        for (size_t i = 0; i < selection.size(); ++i)
            if (round.OnPage(i))
                ink_.push_back(namePainter_.Draw(p, selection[i].cell, selection[i].Shown(), f.font,
                                                 look.color));
        inkOf_ = {look.family, look.size, look.color};
        p.restore();
        return;
    }

    const double ascent = f.pathMetrics->ascent();
    const double height = ascent + f.pathMetrics->descent();
    for (size_t i = 0; i < selection.size(); ++i) {
        if (!round.OnPage(i)) continue;
        const RoundSelection& entry = selection[i];
        QString text = entry.Shown();
        double advance = f.pathMetrics->horizontalAdvance(text);
        if (advance > entry.cell.width()) {
            text = f.pathMetrics->elidedText(text, Qt::ElideRight, entry.cell.width());
            advance = f.pathMetrics->horizontalAdvance(text);
        }
        const Sprite& sprite = OutlinedName(text, look.family, look.size, look.color);
        const QRectF cell(entry.cell);
        // The text origin, centred in the cell; whole pixels so the copy needs no resampling.
        const QPoint origin(qRound(cell.center().x() - advance / 2),
                            qRound(cell.center().y() - height / 2 + ascent));
        if (entry.voided) p.setOpacity(0.4);
        p.drawImage(origin + sprite.offset, sprite.image);
        p.setOpacity(1.0);
        if (entry.voided)
            MarkVoided(p, entry.cell, QRectF(origin.x(), origin.y() - ascent, advance, height),
                       height);
    }
}

QString ShowRenderer::StatusLineText(const RoundState& round) const {
    const Prize* prize = data_.FindPrize(round.prizeId);
    if (!prize) return QString();
    // A redraw for voided winners says so instead of the round.
    const QString now =
        round.redraw > 0
            ? QStringLiteral("补抽 %1 人").arg(round.redraw)
            : QStringLiteral("当前：第 %1 轮 %2 人").arg(round.roundNumber).arg(round.batchSize);
    const QString text = prize->name + QLatin1Char(' ') + prize->content + QStringLiteral("  ") +
                         now + QStringLiteral("  总：") + QString::number(prize->batch) +
                         QStringLiteral(" 轮 ") + QString::number(prize->count) +
                         QStringLiteral(" 人  剩余候选人数：") + QString::number(round.remaining);
    // A round larger than one screen: the rolling screen says how many are drawn, the winners
    // screen which page stands.
    const int pages = round.Pages();
    if (pages > 1 && round.state == RoundState::kRolling)
        return text +
               QStringLiteral("  正在抽取 %1 人，分 %2 页显示").arg(round.batchSize).arg(pages);
    if (pages > 1 && round.state == RoundState::kWinners)
        return text + QStringLiteral("  第 %1/%2 页").arg(round.page + 1).arg(pages);
    return text;
}

QString ShowRenderer::PrizeScreenText(const RoundState& round) {
    // A redraw for absent winners says so as large as the prize itself.
    if (round.redraw > 0) return round.prizeText + QStringLiteral("\n补抽 %1 人").arg(round.redraw);
    return round.prizeText;
}

QString ShowRenderer::PrizeRuleLine(const RoundState& round) const {
    const Prize* prize = data_.FindPrize(round.prizeId);
    if (!prize) return QString();
    const bool global = data_.AllowRepeat();
    return PrizeRuleText::Phrases(prize->scope, prize->RepeatAllowed(global), global)
        .join(QStringLiteral("　　"));
}

QRect ShowRenderer::PrizeRuleBox() const {
    // The lowest part of the main area, below the prize text, above the status band.
    const QRect& main = MainArea();
    const int h = std::max(Scaled(40), main.height() / 6);
    return QRect(main.left() + Scaled(20), main.bottom() - h - Scaled(10) + 1,
                 main.width() - Scaled(40), h);
}

void ShowRenderer::DrawPrizeRule(QPainter& p, const RoundState& round) {
    const QString text = PrizeRuleLine(round);
    if (text.isEmpty()) return;
    const QRect box = PrizeRuleBox();
    // As large as fits on one line, from the size of a heading down to a legible floor; a rule
    // naming many values is shortened rather than shrunk out of sight.
    const DesignSymbol* symbol = data_.FindSymbol(DesignElement::PrizeInfo);
    const QString family =
        symbol && !symbol->FontName.isEmpty() ? symbol->FontName : kDefaultFamily;
    int size = Scaled(kRuleLargestPointSize);
    const int floor = Scaled(kRuleFloorPointSize);
    while (size > floor && Font(family, size).metrics->horizontalAdvance(text) > box.width())
        size -= 2;
    const FontEntry& f = Font(family, std::max(size, floor));
    const QString shown = f.metrics->elidedText(text, Qt::ElideRight, box.width());
    const QColor color = symbol ? OpaqueFromReference(symbol->Color) : QColor(Qt::black);
    p.setFont(f.font);
    p.setPen(QColor::fromRgba(kShadowColor));
    p.drawText(box.translated(1, 1), Qt::AlignCenter, shown);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, shown);
}

void ShowRenderer::DrawStatusLine(QPainter& p, const RoundState& round) {
    const QString text = StatusLineText(round);
    if (text.isEmpty()) return;
    p.setFont(Font(kDefaultFamily, Scaled(kStatusPointSize)).font);
    p.setPen(QColor::fromRgba(kStatusColor));
    p.drawText(StatusBand(), Qt::AlignHCenter | Qt::AlignTop, text);
}

QRect ShowRenderer::DrawCodePlate(QPainter& p, const QRect& plate, const QByteArray& text,
                                  std::pair<QByteArray, QImage>& code) {
    const int pad = Scaled(14);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(242, 193, 78), Scaled(2)));
    p.setBrush(QColor(20, 10, 10, 235));
    p.drawRoundedRect(plate, Scaled(14), Scaled(14));
    const int qrSide = plate.height() - 2 * pad;
    if (code.first != text) {
        const int modules = QrImage::ModulesFor(text);
        code = {text, modules > 0 ? QrImage::Make(text, std::max(1, qrSide / modules)) : QImage()};
    }
    const QImage& qr = code.second;
    QRect textBox = plate.adjusted(pad, pad, -pad, -pad);
    if (!qr.isNull()) {
        p.drawImage(QPoint(plate.left() + pad + (qrSide - qr.width()) / 2,
                           plate.top() + pad + (qrSide - qr.height()) / 2),
                    qr);
        textBox.setLeft(plate.left() + pad + qrSide + pad);
    }
    return textBox;
}

void ShowRenderer::DrawFingerprint(QPainter& p, const RoundState& round) {
    if (round.fingerprint.isEmpty()) return;
    // Large, white on its own dark plate, with the whole commitment as a QR code beside it:
    // a guest photographs it from the room.
    p.save();
    const QRect textBox =
        DrawCodePlate(p, layout_.FingerprintPlate(), round.commitment.toLatin1(), commitmentQr_);
    p.setPen(QColor(255, 236, 200));
    p.setFont(Font(kDefaultFamily, Scaled(kFingerprintLabelPointSize)).font);
    p.drawText(textBox, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("本场抽奖指纹"));
    p.setPen(Qt::white);
    p.setFont(Font(kDefaultFamily, Scaled(kFingerprintPointSize)).font);
    p.drawText(textBox.adjusted(0, textBox.height() / 3, 0, 0), Qt::AlignCenter, round.fingerprint);
    p.restore();
}

void ShowRenderer::DrawCheckIn(QPainter& p, const RoundState& round) {
    if (round.checkInUrl.isEmpty()) return;
    p.save();
    const QRect textBox =
        DrawCodePlate(p, layout_.CheckInPlate(), round.checkInUrl.toUtf8(), checkInQr_);
    // The largest size at which each line fits the narrow column beside the code.
    const auto fitted = [&](const QString& text, int points) {
        while (points > 10) {
            const FontEntry& f = Font(kDefaultFamily, Scaled(points));
            if (f.metrics->horizontalAdvance(text) <= textBox.width()) return f.font;
            points -= 2;
        }
        return Font(kDefaultFamily, Scaled(points)).font;
    };
    const QString label = QStringLiteral("扫码签到");
    const QString count =
        QStringLiteral("已签到 %1 / %2").arg(round.checkedIn).arg(round.checkInTotal);
    const QRect upper(textBox.left(), textBox.top(), textBox.width(), textBox.height() / 2);
    const QRect lower(textBox.left(), upper.bottom() + 1, textBox.width(),
                      textBox.height() - upper.height());
    p.setPen(QColor(255, 236, 200));
    p.setFont(fitted(label, 40));
    p.drawText(upper, Qt::AlignCenter, label);
    p.setPen(Qt::white);
    p.setFont(fitted(count, 30));
    p.drawText(lower, Qt::AlignHCenter | Qt::AlignTop, count);
    p.restore();
}

void ShowRenderer::DrawRehearsalMark(QPainter& p, const RoundState& round) {
    if (!round.rehearsal) return;
    const QFont& font = Font(kDefaultFamily, Scaled(kRehearsalPointSize)).font;
    const QString text = QStringLiteral("彩排");
    const QRectF m = Font(kDefaultFamily, Scaled(kRehearsalPointSize))
                         .metrics->boundingRect(QRectF(), Qt::AlignCenter, text);
    const int pad = Scaled(12);
    const QRectF badge(Scaled(24), Scaled(24), m.width() + 2 * pad, m.height() + pad);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, Scaled(3)));
    p.setBrush(QColor(0, 90, 200, 220));
    p.drawRoundedRect(badge, Scaled(10), Scaled(10));
    p.setFont(font);
    p.drawText(badge, Qt::AlignCenter, text);
    p.restore();
}

void ShowRenderer::DrawHelpText(QPainter& p) {
    if (helpText_.isEmpty()) return;
    p.setFont(Font(kDefaultFamily, Scaled(kStatusPointSize)).font);
    p.setPen(QColor::fromRgba(kStatusColor));
    p.drawText(StatusBand().translated(0, Scaled(kHelpOffset)), Qt::AlignHCenter | Qt::AlignTop,
               helpText_);
}

void ShowRenderer::DrawFinishedList(QPainter& p) {
    if (lines_.isEmpty()) return;
    p.setFont(Font(kDefaultFamily, Scaled(kListPointSize)).font);
    p.setPen(QColor::fromRgba(0xFF000000));
    const int bottomLimit = StatusBand().top();
    const int margin = Scaled(100);
    const int width = ScreenRect().width() - 2 * margin;
    // Lines that have left the top are skipped without looking at them.
    int i = scrollY_ < 0 ? std::max(0, (-scrollY_) / LineHeight() - 1) : 0;
    for (; i < lines_.size(); ++i) {
        const int top = scrollY_ + LineHeight() * i;
        const int bottom = top + LineHeight();
        if (bottom < 0) continue;
        if (bottom > bottomLimit) break;
        p.drawText(QRect(margin, top, width, LineHeight()), Qt::AlignCenter, lines_[i]);
    }
}

void ShowRenderer::DrawSelectionOutline(QPainter& p, const RoundState& round) {
    if (round.selectedElement < 0) return;
    const DesignSymbol* symbol = data_.FindSymbol(round.selectedElement);
    if (!symbol || symbol->box.isEmpty()) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(symbol->box.adjusted(0, 0, -1, -1));
    p.restore();
}

void ShowRenderer::Paint(QImage& target, RoundState& round) {
    if (target.isNull()) return;
    SyncResolution(target);
    EnsureBackground();
    ink_.clear();  // the rolling names' ink is known again once they are drawn

    QPainter p(&target);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
    DrawBackground(p, ScreenRect());

    using namespace DesignElement;
    switch (round.state) {
        case RoundState::kWelcome:
            if (!round.title.isEmpty()) {
                QRect box = round.fingerprint.isEmpty() ? WelcomeArea() : layout_.WelcomeTitleBox();
                if (!round.checkInUrl.isEmpty())
                    box.setBottom(
                        std::min(box.bottom(), layout_.CheckInPlate().top() - Scaled(10)));
                DrawTextElement(p, Title, round.title, box, 0.8, Align::Center, true);
            }
            DrawFingerprint(p, round);
            DrawCheckIn(p, round);
            break;
        case RoundState::kPrize:
            DrawTextElement(p, SmallTitle, round.title, layout_.TitleBox(), 0.6, Align::Bottom,
                            true);
            if (!round.prizeText.isEmpty())
                DrawTextElement(p, PrizeInfo, PrizeScreenText(round), MainArea(), 0.6,
                                Align::Center, true);
            DrawPrizeRule(p, round);
            DrawPicture(p, round, PictureColumn(), true);
            DrawStatusLine(p, round);
            break;
        case RoundState::kRolling:
        case RoundState::kWinners:
            DrawTextElement(p, SmallTitle, round.title, layout_.TitleBox(), 0.6, Align::Bottom,
                            true);
            DrawTextElement(p, SmallPrizeInfo, round.prizeText, SmallPrizeBox(), 0.6, Align::Bottom,
                            false);
            DrawPicture(p, round, SmallPictureBox(), false);
            DrawNames(p, round, round.state == RoundState::kWinners);
            DrawStatusLine(p, round);
            break;
        case RoundState::kFinished:
            DrawFinishedList(p);
            DrawFingerprint(p, round);
            break;
        default:
            break;
    }
    DrawSelectionOutline(p, round);
    DrawHelpText(p);
    DrawRehearsalMark(p, round);
}

QRegion ShowRenderer::PaintNames(QImage& target, RoundState& round) {
    if (target.isNull()) return QRegion();
    if (round.state != RoundState::kRolling && round.state != RoundState::kWinners) {
        Paint(target, round);
        return QRegion(ScreenRect());
    }
    SyncResolution(target);
    EnsureBackground();

    const bool rolling = round.state == RoundState::kRolling && round.selectedElement < 0;
    QRegion planned;
    if (rolling && PlanRoll(target, round, planned)) {
        DrawRoll(target);
        return planned;
    }

    // A tick changes only the names: what the last one inked and what this one will.
    QRegion dirty(NamesArea());
    if (rolling && !ink_.empty() && !round.selection.empty()) {
        // The look the names will be drawn in; the last tick's ink counts only in the same.
        const ElementLook look = NamesLook(round, false);
        if (inkOf_ == std::make_tuple(look.family, look.size, look.color)) {
            const QFont& font = Font(look.family, look.size).font;
            QRegion next = InkedRegion();
            for (size_t i = 0; i < round.selection.size(); ++i)
                if (round.OnPage(i))
                    next += namePainter_
                                .Place(round.selection[i].cell, round.selection[i].Shown(), font,
                                       look.color)
                                .ink;
            dirty = next & NamesArea();
        }
    }

    QPainter p(&target);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // Rectangle by rectangle, and the names under a plain rectangular clip: a complex clip
    // sends every blit through Qt's span painting, which wakes its thread pool each tick.
    for (const QRect& r : dirty) DrawBackground(p, r);
    p.setClipRect(NamesArea());
    DrawNames(p, round, round.state == RoundState::kWinners);
    DrawSelectionOutline(p, round);
    return dirty;
}

bool ShowRenderer::PlanRoll(const QImage& target, RoundState& round, QRegion& dirty) {
    if (target.isNull() || round.state != RoundState::kRolling || round.selectedElement >= 0 ||
        round.selection.empty() || !PixelOps::Target32(target))
        return false;
    SyncResolution(target);
    EnsureBackground();
    if (!PixelOps::Opaque32(background_) || background_.size() != target.size()) return false;

    const ElementLook look = NamesLook(round, false);
    const QFont& font = Font(look.family, look.size).font;
    const QRect area = NamesArea();
    placements_.clear();
    for (size_t i = 0; i < round.selection.size(); ++i)
        if (round.OnPage(i))
            placements_.push_back(namePainter_.Place(round.selection[i].cell,
                                                     round.selection[i].Shown(), font, look.color));
    // What each name changes: its last ink and its new one, when the last was drawn the same.
    const bool same = inkOf_ == std::make_tuple(look.family, look.size, look.color) &&
                      ink_.size() == placements_.size();
    boxes_.clear();
    for (size_t k = 0; k < placements_.size(); ++k)
        boxes_.push_back(((same ? ink_[k] : QRect()) | placements_[k].ink) & area);
    boxesApart_ = same && Disjoint(boxes_);
    planned_ = same ? QRegion() : QRegion(area);
    if (same)
        for (const QRect& box : boxes_) planned_ += box;
    inkOf_ = {look.family, look.size, look.color};
    dirty = planned_;
    return true;
}

void ShowRenderer::DrawRoll(QImage& target) {
    const QRect area = NamesArea();
    if (boxesApart_) {
        // Name by name, in bands of rows small enough to stay in the cache between the
        // restore and the blend.
        constexpr int kBand = 8;
        for (size_t k = 0; k < boxes_.size(); ++k) {
            const QRect& box = boxes_[k];
            for (int y = box.top(); y <= box.bottom(); y += kBand) {
                const QRect band(box.left(), y, box.width(), std::min(kBand, box.bottom() + 1 - y));
                PixelOps::Copy(target, background_, band);
                NamePainter::DrawInto(target, band, placements_[k]);
            }
        }
    } else {
        for (const QRect& r : planned_) PixelOps::Copy(target, background_, r);
        for (const NamePainter::Placement& name : placements_)
            NamePainter::DrawInto(target, area, name);
    }
    RollDrawn();
}

void ShowRenderer::RollDrawn() {
    ink_.clear();
    for (const NamePainter::Placement& name : placements_) ink_.push_back(name.ink);
}

bool ShowRenderer::Disjoint(const std::vector<QRect>& boxes) {
    // By their tops: a box can meet only those that start before it ends.
    std::vector<const QRect*> byTop;
    for (const QRect& box : boxes)
        if (!box.isEmpty()) byTop.push_back(&box);
    std::sort(byTop.begin(), byTop.end(),
              [](const QRect* a, const QRect* b) { return a->top() < b->top(); });
    for (size_t i = 0; i < byTop.size(); ++i)
        for (size_t j = i + 1; j < byTop.size() && byTop[j]->top() <= byTop[i]->bottom(); ++j)
            if (byTop[i]->intersects(*byTop[j])) return false;
    return true;
}

QRegion ShowRenderer::InkedRegion() const {
    QRegion region;
    for (const QRect& r : ink_) region += r;
    return region;
}
