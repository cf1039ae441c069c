#pragma once

#include <memory>

class QWidget;
class ShowRenderer;

// Draws a rolling tick on the display server instead of on this process's core: the background
// of the names and each glyph picture are sent once, and a tick sends only where to put them.
// The server composes the pixels, on the graphics card where it has one, and a laptop that also
// runs the slides keeps its core for them.
class RollCompositor {
  public:
    virtual ~RollCompositor() = default;
    // For a shown native window; null where its display cannot (not X11, no RENDER extension,
    // pixels laid out otherwise than the renderer's) or when turned off with
    // VANTORIA_DRAW_IN_PROCESS=1.
    static std::unique_ptr<RollCompositor> ForWindow(QWidget& window);
    // Draws the renderer's planned tick onto the window. False when it could not; the window
    // must then be painted whole.
    virtual bool Draw(const ShowRenderer& renderer) = 0;
};
