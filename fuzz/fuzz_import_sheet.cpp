// Feeds arbitrary bytes to the bridge's workbook import (Import), as .xlsx/.xls content, and to
// the preview's reading of the same file (ImportTable), which must agree row for row.
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "ImportAgreement.h"
#include "celvex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static QTemporaryDir dir;
    static const QByteArray path = (dir.path() + "/input.xlsx").toUtf8();
    if (std::FILE* f = std::fopen(path.constData(), "wb")) {
        std::fwrite(bytes, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    fuzz::CheckImportAgreement(path.constData(), Import, ImportTable);
    return 0;
}
