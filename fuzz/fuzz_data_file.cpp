// Feeds arbitrary bytes to the data file reader (data.xml / init.xml).
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/AppData.h"
#include "model/DataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static QTemporaryDir dir;
    static std::unique_ptr<AppData> data;
    if (!data) data = std::make_unique<AppData>(dir.path() + "/empty/");
    const QString path = dir.path() + "/data.xml";
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return 0;
        f.write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(size));
    }
    DataFile::Load(*data, path, size % 2 == 0);
    // Keep the model from growing without bound across inputs.
    if (data->TotalWinners() > 100000 || data->Prizes().size() > 100000) {
        data->ClearWinners();
        data->ClearPrizes();
    }
    return 0;
}
