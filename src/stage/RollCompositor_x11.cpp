#include "stage/RollCompositor.h"

#include <QDebug>
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <xcb/render.h>
#include <xcb/xcb.h>
#include <xcb/xcb_renderutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "show/NamePainter.h"
#include "show/ShowRenderer.h"

namespace {

// The renderer's 32-bit pixels as X lays out a pixel of this depth, or false.
bool PixelsAsQt(const xcb_setup_t* setup, uint8_t depth) {
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth) return it.data->bits_per_pixel == 32;
    return false;
}

const xcb_visualtype_t* FindVisual(const xcb_setup_t* setup, xcb_visualid_t id) {
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == id) return v.data;
    return nullptr;
}

class X11RollCompositor final : public RollCompositor {
  public:
    X11RollCompositor(QWidget& window, xcb_connection_t* connection, uint8_t depth,
                      xcb_render_pictformat_t windowFormat, xcb_render_pictformat_t argbFormat,
                      xcb_render_pictformat_t a8Format)
        : window_(window),
          c_(connection),
          depth_(depth),
          windowFormat_(windowFormat),
          argbFormat_(argbFormat),
          a8Format_(a8Format) {}

    ~X11RollCompositor() override {
        DropGlyphs();
        DropBackground();
        if (ink_) xcb_render_free_picture(c_, ink_);
        if (windowPicture_) xcb_render_free_picture(c_, windowPicture_);
        if (gc_) xcb_free_gc(c_, gc_);
        if (argbGc_) xcb_free_gc(c_, argbGc_);
        xcb_flush(c_);
    }

    bool Draw(const ShowRenderer& renderer) override {
        const QRect area = renderer.NamesArea();
        const QRegion& changed = renderer.PlannedRestore();
        if (area.isEmpty() || !WindowPicture(area) || !Background(renderer.Background(), area) ||
            !Ink(renderer.PlannedColor()))
            return false;
        if (changed.isEmpty()) return true;
        // Three requests whatever the names: only the changed pixels may be drawn, the
        // background goes back under them, and the names go over it.
        clipRects_.clear();
        for (const QRect& r : changed)
            clipRects_.push_back(xcb_rectangle_t{int16_t(r.x()), int16_t(r.y()),
                                                 uint16_t(r.width()), uint16_t(r.height())});
        xcb_render_set_picture_clip_rectangles(c_, windowPicture_, 0, 0,
                                               uint32_t(clipRects_.size()), clipRects_.data());
        const QRect bounds = changed.boundingRect();
        xcb_render_composite(c_, XCB_RENDER_PICT_OP_SRC, background_, XCB_NONE, windowPicture_,
                             int16_t(bounds.x() - area.x()), int16_t(bounds.y() - area.y()), 0, 0,
                             int16_t(bounds.x()), int16_t(bounds.y()), uint16_t(bounds.width()),
                             uint16_t(bounds.height()));
        // The glyphs of one evening's names are a few megabytes; past the cap they go at once,
        // between ticks, never under the ids a tick has taken.
        constexpr size_t kMaxGlyphBytes = 64u << 20;
        if (glyphBytes_ > kMaxGlyphBytes) DropGlyphs();
        bool ok = true;
        commands_.clear();
        colored_.clear();
        for (const NamePainter::Placement& name : renderer.PlannedNames())
            NamePainter::ForEachGlyph(name, [&](const QImage& image, QPoint at) {
                const Uploaded* glyph = ok ? Glyph(image, renderer.PlannedColor()) : nullptr;
                if (!glyph) {
                    ok = false;
                } else if (glyph->picture) {
                    colored_.emplace_back(glyph->picture, QRect(at, image.size()));
                } else {
                    commands_.push_back({glyph->id, at});
                }
            });
        SendGlyphs();
        for (const auto& [picture, r] : colored_)  // glyphs of more than the names' colour
            xcb_render_composite(c_, XCB_RENDER_PICT_OP_OVER, picture, XCB_NONE, windowPicture_, 0,
                                 0, 0, 0, int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()),
                                 uint16_t(r.height()));
        // New glyphs were sent checked; their answers come with one round trip, on the ticks
        // that send any.
        for (const xcb_void_cookie_t cookie : sent_) ok = Check(cookie) && ok;
        sent_.clear();
        xcb_flush(c_);
        return ok;
    }

  private:
    // A glyph on the server: in the glyph set by id, or a picture of its own when it has more
    // than the names' one colour (a colour emoji).
    struct Uploaded {
        uint32_t id = 0;
        xcb_render_picture_t picture = XCB_NONE;
    };
    struct Command {
        uint32_t id;
        QPoint at;
    };

    // A picture of the window; each tick clips it to what the tick changes.
    bool WindowPicture(const QRect& area) {
        const auto window = xcb_window_t(window_.internalWinId());
        if (!window) return false;
        if (windowPicture_ && window == pictured_ && area == area_) return true;
        if (windowPicture_) xcb_render_free_picture(c_, windowPicture_);
        windowPicture_ = xcb_generate_id(c_);
        if (!Check(xcb_render_create_picture_checked(c_, windowPicture_, window, windowFormat_, 0,
                                                     nullptr))) {
            windowPicture_ = XCB_NONE;
            return false;
        }
        if (gc_) xcb_free_gc(c_, gc_);
        gc_ = xcb_generate_id(c_);
        xcb_create_gc(c_, gc_, window, 0, nullptr);
        pictured_ = window;
        area_ = area;
        DropBackground();  // sent for another area
        DropGlyphs();      // and the glyph set with it, made for this window's screen
        return true;
    }

    // The background under the names, sent once for each background the renderer builds.
    bool Background(const QImage& image, const QRect& area) {
        if (image.isNull() || !image.rect().contains(area)) return false;
        if (background_ && image.cacheKey() == backgroundKey_) return true;
        DropBackground();
        const xcb_pixmap_t pixmap = xcb_generate_id(c_);
        // Checked: a screen-sized pixmap is where a server short of memory says no.
        if (!Check(xcb_create_pixmap_checked(c_, depth_, pixmap, pictured_, uint16_t(area.width()),
                                             uint16_t(area.height()))))
            return false;
        Put(pixmap, gc_, depth_, image, area);
        background_ = xcb_generate_id(c_);
        const bool made = Check(
            xcb_render_create_picture_checked(c_, background_, pixmap, windowFormat_, 0, nullptr));
        xcb_free_pixmap(c_, pixmap);  // the picture keeps it
        if (!made) {
            background_ = XCB_NONE;
            return false;
        }
        backgroundKey_ = image.cacheKey();
        return true;
    }

    void DropBackground() {
        if (background_) xcb_render_free_picture(c_, background_);
        background_ = XCB_NONE;
        backgroundKey_ = 0;
    }

    // The names' colour as a source the glyph set's coverage is drawn with.
    bool Ink(QRgb color) {
        if (ink_ && color == inkColor_) return true;
        if (ink_) xcb_render_free_picture(c_, ink_);
        ink_ = xcb_generate_id(c_);
        // Render's colours are premultiplied, sixteen bits a channel.
        const QRgb p = qPremultiply(color);
        const xcb_render_color_t ink{uint16_t(qRed(p) * 257), uint16_t(qGreen(p) * 257),
                                     uint16_t(qBlue(p) * 257), uint16_t(qAlpha(p) * 257)};
        if (!Check(xcb_render_create_solid_fill_checked(c_, ink_, ink))) {
            ink_ = XCB_NONE;
            return false;
        }
        inkColor_ = color;
        return true;
    }

    // A glyph, sent the first time it is drawn; a QImage's key names its pixels.
    const Uploaded* Glyph(const QImage& image, QRgb color) {
        if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied) return nullptr;
        if (auto it = glyphs_.find(image.cacheKey()); it != glyphs_.end()) return &it->second;
        if (!glyphSet_) {
            glyphSet_ = xcb_generate_id(c_);
            sent_.push_back(xcb_render_create_glyph_set_checked(c_, glyphSet_, a8Format_));
        }
        Uploaded up;
        std::vector<uint8_t> coverage = Coverage(image, color);
        // A request past the server's limit would close the connection: a glyph too big for
        // one goes as a picture, sent in parts.
        if (!coverage.empty() && coverage.size() + 64 <= MaxRequestBytes()) {
            up.id = ++lastId_;
            const xcb_render_glyphinfo_t info{
                uint16_t(image.width()), uint16_t(image.height()), 0, 0, 0, 0};
            sent_.push_back(xcb_render_add_glyphs_checked(
                c_, glyphSet_, 1, &up.id, &info, uint32_t(coverage.size()), coverage.data()));
        } else {
            const xcb_pixmap_t pixmap = xcb_generate_id(c_);
            sent_.push_back(xcb_create_pixmap_checked(
                c_, 32, pixmap, pictured_, uint16_t(image.width()), uint16_t(image.height())));
            if (!argbGc_) {
                argbGc_ = xcb_generate_id(c_);
                xcb_create_gc(c_, argbGc_, pixmap, 0, nullptr);
            }
            Put(pixmap, argbGc_, 32, image, image.rect());
            up.picture = xcb_generate_id(c_);
            sent_.push_back(
                xcb_render_create_picture_checked(c_, up.picture, pixmap, argbFormat_, 0, nullptr));
            xcb_free_pixmap(c_, pixmap);
        }
        glyphBytes_ += size_t(image.sizeInBytes());
        return &glyphs_.emplace(image.cacheKey(), up).first->second;
    }

    // The glyph's alpha, rows padded to four bytes, when every pixel is the opaque colour at
    // that alpha (as a plain pen draws it); empty when not.
    static std::vector<uint8_t> Coverage(const QImage& image, QRgb color) {
        if (qAlpha(color) != 255) return {};
        const int stride = (image.width() + 3) & ~3;
        std::vector<uint8_t> coverage(size_t(stride) * size_t(image.height()), 0);
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(row[x]);
                auto off = [&](int channel, int of) {
                    return std::abs(channel - (of * a + 127) / 255);
                };
                if (off(qRed(row[x]), qRed(color)) > 2 || off(qGreen(row[x]), qGreen(color)) > 2 ||
                    off(qBlue(row[x]), qBlue(color)) > 2)
                    return {};
                coverage[size_t(y) * size_t(stride) + size_t(x)] = uint8_t(a);
            }
        }
        return coverage;
    }

    // The tick's glyphs in as few requests as the server takes: one element each, placed by
    // its step from the one before (glyphs do not advance the pen).
    void SendGlyphs() {
        constexpr size_t kEach = 4000;  // 12 bytes a glyph, well inside any request limit
        std::vector<uint8_t>& bytes = glyphBytesOut_;
        for (size_t first = 0; first < commands_.size(); first += kEach) {
            const size_t last = std::min(commands_.size(), first + kEach);
            bytes.assign((last - first) * 12, 0);
            QPoint pen(0, 0);
            uint8_t* out = bytes.data();
            for (size_t i = first; i < last; ++i) {
                const Command& g = commands_[i];
                const int16_t step[2] = {int16_t(g.at.x() - pen.x()), int16_t(g.at.y() - pen.y())};
                out[0] = 1;  // glyphs in the element
                std::memcpy(out + 4, step, 4);
                std::memcpy(out + 8, &g.id, 4);
                out += 12;
                pen = g.at;
            }
            xcb_render_composite_glyphs_32(c_, XCB_RENDER_PICT_OP_OVER, ink_, windowPicture_,
                                           XCB_NONE, glyphSet_, 0, 0, uint32_t(bytes.size()),
                                           bytes.data());
        }
    }

    void DropGlyphs() {
        for (const auto& [key, up] : glyphs_)
            if (up.picture) xcb_render_free_picture(c_, up.picture);
        glyphs_.clear();
        if (glyphSet_) xcb_render_free_glyph_set(c_, glyphSet_);
        glyphSet_ = XCB_NONE;
        glyphBytes_ = 0;
    }

    // Part of a 32-bit image into a pixmap at its top left, in requests the server accepts.
    void Put(xcb_drawable_t pixmap, xcb_gcontext_t gc, uint8_t depth, const QImage& image,
             const QRect& from) {
        const size_t rowBytes = size_t(from.width()) * 4;
        const size_t maxBytes = std::min<size_t>(MaxRequestBytes() - 64, 4u << 20);
        const int rowsEach = int(std::max<size_t>(1, maxBytes / rowBytes));
        std::vector<uint8_t> rows;
        for (int y = from.top(); y <= from.bottom(); y += rowsEach) {
            const int n = std::min(rowsEach, from.bottom() + 1 - y);
            rows.resize(rowBytes * size_t(n));
            for (int i = 0; i < n; ++i)
                std::memcpy(rows.data() + rowBytes * size_t(i),
                            image.constScanLine(y + i) + size_t(from.x()) * 4, rowBytes);
            xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(from.width()),
                          uint16_t(n), 0, int16_t(y - from.top()), 0, depth, uint32_t(rows.size()),
                          rows.data());
        }
    }

    size_t MaxRequestBytes() const { return size_t(xcb_get_maximum_request_length(c_)) * 4; }

    bool Check(xcb_void_cookie_t cookie) {
        if (xcb_generic_error_t* error = xcb_request_check(c_, cookie)) {
            qWarning().noquote() << "show: the display refused to draw the names, error"
                                 << int(error->error_code) << "; drawing them here";
            std::free(error);
            return false;
        }
        return true;
    }

    QWidget& window_;
    xcb_connection_t* c_;
    uint8_t depth_;
    xcb_render_pictformat_t windowFormat_;
    xcb_render_pictformat_t argbFormat_;
    xcb_render_pictformat_t a8Format_;
    xcb_window_t pictured_ = XCB_NONE;
    QRect area_;
    xcb_render_picture_t windowPicture_ = XCB_NONE;
    xcb_gcontext_t gc_ = XCB_NONE;
    xcb_gcontext_t argbGc_ = XCB_NONE;
    xcb_render_picture_t background_ = XCB_NONE;
    qint64 backgroundKey_ = 0;
    xcb_render_picture_t ink_ = XCB_NONE;
    QRgb inkColor_ = 0;
    xcb_render_glyphset_t glyphSet_ = XCB_NONE;
    uint32_t lastId_ = 0;
    std::unordered_map<qint64, Uploaded> glyphs_;
    size_t glyphBytes_ = 0;
    std::vector<xcb_void_cookie_t> sent_;
    // Kept from tick to tick, so a tick allocates nothing.
    std::vector<xcb_rectangle_t> clipRects_;
    std::vector<Command> commands_;
    std::vector<uint8_t> glyphBytesOut_;
    std::vector<std::pair<xcb_render_picture_t, QRect>> colored_;
};

}  // namespace

std::unique_ptr<RollCompositor> RollCompositor::ForWindow(QWidget& window) {
    if (qEnvironmentVariableIntValue("VANTORIA_DRAW_IN_PROCESS")) return nullptr;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    const auto id = xcb_window_t(window.internalWinId());
    if (!c || !id) return nullptr;
    const xcb_query_extension_reply_t* render = xcb_get_extension_data(c, &xcb_render_id);
    if (!render || !render->present) return nullptr;
    // Solid colours came with RENDER 0.10 (2004).
    xcb_render_query_version_reply_t* version =
        xcb_render_query_version_reply(c, xcb_render_query_version(c, 0, 11), nullptr);
    const bool solid = version && (version->major_version > 0 || version->minor_version >= 10);
    std::free(version);
    if (!solid) return nullptr;

    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    const xcb_visualid_t visualId = attributes ? attributes->visual : 0;
    const uint8_t depth = geometry ? geometry->depth : 0;
    std::free(attributes);
    std::free(geometry);

    // Opaque true colour, red green blue in the low three bytes: the renderer's RGB32 as it is.
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_visualtype_t* visual = FindVisual(setup, visualId);
    if (!visual || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR || depth != 24 ||
        visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 || visual->blue_mask != 0xff ||
        !PixelsAsQt(setup, depth) || !PixelsAsQt(setup, 32))
        return nullptr;
    // Looked up once for the connection and kept by the library.
    const xcb_render_query_pict_formats_reply_t* formats = xcb_render_util_query_formats(c);
    if (!formats) return nullptr;
    const xcb_render_pictvisual_t* windowFormat =
        xcb_render_util_find_visual_format(formats, visualId);
    const xcb_render_pictforminfo_t* argb =
        xcb_render_util_find_standard_format(formats, XCB_PICT_STANDARD_ARGB_32);
    const xcb_render_pictforminfo_t* a8 =
        xcb_render_util_find_standard_format(formats, XCB_PICT_STANDARD_A_8);
    if (!windowFormat || !argb || !a8) return nullptr;
    return std::make_unique<X11RollCompositor>(window, c, depth, windowFormat->format, argb->id,
                                               a8->id);
}
