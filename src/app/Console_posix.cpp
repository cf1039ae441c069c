#include <cstdio>

#include "app/Console.h"

namespace Console {

void Attach() {}

void Write(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

}  // namespace Console
