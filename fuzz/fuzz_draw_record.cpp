// Feeds arbitrary bytes as a draw record to the verifier, beside a small data.xml.
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

#include "draw/DrawVerifier.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static QTemporaryDir dir;
    static bool prepared = false;
    const QString root = dir.path() + "/";
    if (!prepared) {
        QFile data(root + "data.xml");
        if (!data.open(QIODevice::WriteOnly)) return 0;
        data.write(
            "<?xml version=\"1.0\" encoding=\"GB2312\"?><Vantoria><PrizeList><Prize id=\"0\" "
            "name=\"A\" content=\"\" count=\"3\" batch=\"1\" image=\"\" index=\"0\"/></PrizeList>"
            "<WinnerList><Winner prize=\"0\" candidate=\"4\" show=\"x\" time=\"t\"/></WinnerList>"
            "</Vantoria>");
        prepared = true;
    }
    {
        QFile record(root + "draw-record.jsonl");
        if (!record.open(QIODevice::WriteOnly)) return 0;
        record.write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(size));
    }
    DrawVerifier::Verify(root);
    return 0;
}
