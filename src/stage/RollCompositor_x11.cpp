#include "stage/RollCompositor.h"

#include <QDebug>
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <xcb/render.h>
#include <xcb/xcb.h>
#include <xcb/xcb_renderutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
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
                      xcb_render_pictformat_t windowFormat, xcb_render_pictformat_t argbFormat)
        : window_(window),
          c_(connection),
          depth_(depth),
          windowFormat_(windowFormat),
          argbFormat_(argbFormat) {}

    ~X11RollCompositor() override {
        DropGlyphs();
        DropBackground();
        if (windowPicture_) xcb_render_free_picture(c_, windowPicture_);
        if (gc_) xcb_free_gc(c_, gc_);
        if (argbGc_) xcb_free_gc(c_, argbGc_);
        xcb_flush(c_);
    }

    bool Draw(const ShowRenderer& renderer) override {
        const QRect area = renderer.NamesArea();
        if (area.isEmpty() || !WindowPicture(area) || !Background(renderer.Background(), area))
            return false;
        for (const QRect& r : renderer.PlannedRestore())
            xcb_render_composite(c_, XCB_RENDER_PICT_OP_SRC, background_, XCB_NONE, windowPicture_,
                                 int16_t(r.x() - area.x()), int16_t(r.y() - area.y()), 0, 0,
                                 int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()),
                                 uint16_t(r.height()));
        bool ok = true;
        for (const NamePainter::Placement& name : renderer.PlannedNames())
            NamePainter::ForEachGlyph(name, [&](const QImage& image, QPoint at) {
                const xcb_render_picture_t glyph = ok ? Glyph(image) : XCB_NONE;
                if (!glyph) {
                    ok = false;
                    return;
                }
                xcb_render_composite(c_, XCB_RENDER_PICT_OP_OVER, glyph, XCB_NONE, windowPicture_,
                                     0, 0, 0, 0, int16_t(at.x()), int16_t(at.y()),
                                     uint16_t(image.width()), uint16_t(image.height()));
            });
        xcb_flush(c_);
        return ok;
    }

  private:
    // A picture of the window that draws only inside the names area.
    bool WindowPicture(const QRect& area) {
        const auto window = xcb_window_t(window_.internalWinId());
        if (!window) return false;
        if (windowPicture_ && window == pictured_ && area == clip_) return true;
        if (windowPicture_) xcb_render_free_picture(c_, windowPicture_);
        windowPicture_ = xcb_generate_id(c_);
        if (!Check(xcb_render_create_picture_checked(c_, windowPicture_, window, windowFormat_, 0,
                                                     nullptr))) {
            windowPicture_ = XCB_NONE;
            return false;
        }
        const xcb_rectangle_t rect{int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                                   uint16_t(area.height())};
        xcb_render_set_picture_clip_rectangles(c_, windowPicture_, 0, 0, 1, &rect);
        if (gc_) xcb_free_gc(c_, gc_);
        gc_ = xcb_generate_id(c_);
        xcb_create_gc(c_, gc_, window, 0, nullptr);
        pictured_ = window;
        clip_ = area;
        DropBackground();  // sent for another area
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

    // A glyph picture, sent the first time it is drawn; a QImage's key names its pixels.
    xcb_render_picture_t Glyph(const QImage& image) {
        if (image.isNull()) return XCB_NONE;
        if (auto it = glyphs_.find(image.cacheKey()); it != glyphs_.end()) return it->second;
        if (image.format() != QImage::Format_ARGB32_Premultiplied) return XCB_NONE;
        // The pictures of one evening's names are a few megabytes; past the cap they go at once.
        constexpr size_t kMaxBytes = 64u << 20;
        if (glyphBytes_ > kMaxBytes) DropGlyphs();
        const xcb_pixmap_t pixmap = xcb_generate_id(c_);
        xcb_create_pixmap(c_, 32, pixmap, pictured_, uint16_t(image.width()),
                          uint16_t(image.height()));
        if (!argbGc_) {
            argbGc_ = xcb_generate_id(c_);
            xcb_create_gc(c_, argbGc_, pixmap, 0, nullptr);
        }
        Put(pixmap, argbGc_, 32, image, image.rect());
        const xcb_render_picture_t picture = xcb_generate_id(c_);
        xcb_render_create_picture(c_, picture, pixmap, argbFormat_, 0, nullptr);
        xcb_free_pixmap(c_, pixmap);
        glyphBytes_ += size_t(image.sizeInBytes());
        glyphs_.emplace(image.cacheKey(), picture);
        return picture;
    }

    void DropGlyphs() {
        for (const auto& [key, picture] : glyphs_) xcb_render_free_picture(c_, picture);
        glyphs_.clear();
        glyphBytes_ = 0;
    }

    // Part of a 32-bit image into a pixmap at its top left, in requests the server accepts.
    void Put(xcb_drawable_t pixmap, xcb_gcontext_t gc, uint8_t depth, const QImage& image,
             const QRect& from) {
        const size_t rowBytes = size_t(from.width()) * 4;
        const size_t maxBytes =
            std::min<size_t>(size_t(xcb_get_maximum_request_length(c_)) * 4 - 64, 4u << 20);
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
    xcb_window_t pictured_ = XCB_NONE;
    QRect clip_;
    xcb_render_picture_t windowPicture_ = XCB_NONE;
    xcb_gcontext_t gc_ = XCB_NONE;
    xcb_gcontext_t argbGc_ = XCB_NONE;
    xcb_render_picture_t background_ = XCB_NONE;
    qint64 backgroundKey_ = 0;
    std::unordered_map<qint64, xcb_render_picture_t> glyphs_;
    size_t glyphBytes_ = 0;
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
    if (!windowFormat || !argb) return nullptr;
    return std::make_unique<X11RollCompositor>(window, c, depth, windowFormat->format, argb->id);
}
