#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QString>

#include <cstdint>
#include <vector>

// The shapes the draw record stores ids in, shared by its writer and its verifier.
class RecordFormat {
  public:
    // A pool as runs of consecutive ids, [[first, length], ...]: a room of 100,000 with a few
    // hundred winners takes a few kilobytes.
    static QJsonArray PoolRuns(const std::vector<int32_t>& ids);
    // False when the value is not such a list or would hold more than maxIds ids.
    static bool ReadPoolRuns(const QJsonValue& value, std::vector<int32_t>& ids, size_t maxIds);
    // An int32 stored as a JSON number; false when absent, fractional or out of range.
    static bool ReadInt(const QJsonValue& value, int32_t& out);
};
