// Feeds arbitrary bytes to the bridge's text import (ImportTxt).
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "celvex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static QTemporaryDir dir;
    static const QByteArray path = (dir.path() + "/input.txt").toUtf8();
    if (std::FILE* f = std::fopen(path.constData(), "wb")) {
        std::fwrite(bytes, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    const char* titles[4] = {"编号", "姓名", "部门", "手机"};
    ImportResult result{};
    ImportTxt(path.constData(), titles, &result);
    // The record must be consistent whatever happened: rows only with a count, no rows when
    // the import failed.
    if (result.count < 0 || (result.count > 0 && !result.rows)) __builtin_trap();
    if (!result.success && result.count != 0) __builtin_trap();
    FreeImportResult(&result);
    return 0;
}
