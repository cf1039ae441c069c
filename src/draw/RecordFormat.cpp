#include "draw/RecordFormat.h"

#include <cmath>
#include <limits>

QJsonArray RecordFormat::PoolRuns(const std::vector<int32_t>& ids) {
    QJsonArray runs;
    size_t i = 0;
    while (i < ids.size()) {
        size_t j = i + 1;
        while (j < ids.size() && int64_t(ids[j]) == int64_t(ids[j - 1]) + 1) ++j;
        runs.append(QJsonArray{ids[i], static_cast<qint64>(j - i)});
        i = j;
    }
    return runs;
}

bool RecordFormat::ReadInt(const QJsonValue& value, int32_t& out) {
    if (!value.isDouble()) return false;
    const double d = value.toDouble();
    if (d != std::floor(d) || d < std::numeric_limits<int32_t>::min() ||
        d > std::numeric_limits<int32_t>::max())
        return false;
    out = static_cast<int32_t>(d);
    return true;
}

bool RecordFormat::ReadPoolRuns(const QJsonValue& value, std::vector<int32_t>& ids, size_t maxIds) {
    ids.clear();
    if (!value.isArray()) return false;
    for (const QJsonValue& run : value.toArray()) {
        const QJsonArray pair = run.toArray();
        int32_t first = 0;
        int32_t length = 0;
        if (pair.size() != 2 || !ReadInt(pair[0], first) || !ReadInt(pair[1], length) ||
            length < 1 || ids.size() + size_t(length) > maxIds ||
            int64_t(first) + length - 1 > std::numeric_limits<int32_t>::max())
            return false;
        for (int32_t k = 0; k < length; ++k) ids.push_back(first + k);
    }
    return true;
}
