// Feeds arbitrary bytes to the candidate file reader (cd.xml).
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/AppData.h"
#include "model/CandidateFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static QTemporaryDir dir;
    static std::unique_ptr<AppData> data;
    if (!data) data = std::make_unique<AppData>(dir.path() + "/empty/");
    const QString path = dir.path() + "/cd.xml";
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return 0;
        f.write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(size));
    }
    CandidateFile::Load(*data, path);
    if (data->Candidates().size() > 100000) data->ClearCandidates();
    return 0;
}
