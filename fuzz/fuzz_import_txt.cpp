// Feeds arbitrary bytes to the bridge's text import (ImportTxt) and to the preview's reading of
// the same file (ImportTxtTable), which must agree row for row.
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "ImportAgreement.h"
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
    fuzz::CheckImportAgreement(path.constData(), ImportTxt, ImportTxtTable);
    return 0;
}
