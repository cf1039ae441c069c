#include "ui/UiFont.h"

#include <memory>

UiFont::UiFont()
    : faceName_(QStringLiteral("微软雅黑")), secondFaceName_(QStringLiteral("微软雅黑")) {
    font_.setFamilies(QStringList{faceName_, QStringLiteral("WenQuanYi Micro Hei"),
                                  QStringLiteral("sans-serif")});
    font_.setPointSize(10);
    font_.setBold(false);
    font_.setItalic(false);
}

namespace {
std::unique_ptr<UiFont>& Slot() {
    static std::unique_ptr<UiFont> font;
    return font;
}
}  // namespace

UiFont& TheUiFont() {
    if (!Slot()) Slot() = std::make_unique<UiFont>();
    return *Slot();
}

void DestroyUiFont() {
    Slot().reset();
}
