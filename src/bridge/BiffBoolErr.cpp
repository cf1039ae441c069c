#include "BiffBoolErr.h"

#include <algorithm>

#include "LittleEndian.h"

namespace {

constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kBoolErr = 0x0205;

// Walks the records from at; visit gets the type and the data of each and says whether to go
// on. Stops at the end of the stream or at a record that runs past it.
template <typename Visit>
void Walk(std::string_view stream, size_t at, Visit&& visit) {
    while (at + 4 <= stream.size()) {
        const uint16_t type = LittleU16(stream, at);
        const uint16_t length = LittleU16(stream, at + 2);
        if (at + 4 + length > stream.size()) return;
        if (!visit(type, stream.substr(at + 4, length))) return;
        at += 4 + size_t{length};
    }
}

}  // namespace

std::vector<BiffBoolErr::Place> BiffBoolErr::Cells(std::string_view stream) {
    std::vector<Place> places;
    if (stream.size() < 4 || LittleU16(stream, 0) != kBof) return places;

    // The workbook globals list the sheets in order, each with the offset of its substream.
    size_t firstSheet = 0;
    bool found = false;
    Walk(stream, 0, [&](uint16_t type, std::string_view data) {
        if (type == kBoundSheet && data.size() >= 4) {
            firstSheet = LittleU32(data, 0);
            found = true;
            return false;
        }
        return type != kEof;
    });
    if (!found || firstSheet + 4 > stream.size() || LittleU16(stream, firstSheet) != kBof)
        return places;

    // The sheet's substream, up to its own EOF; charts embedded in it nest BOF/EOF pairs.
    int depth = 0;
    Walk(stream, firstSheet, [&](uint16_t type, std::string_view data) {
        if (type == kBof) ++depth;
        if (type == kEof) return --depth > 0;
        if (type == kBoolErr && depth == 1 && data.size() >= 8)
            places.emplace_back(LittleU16(data, 0), LittleU16(data, 2));
        return true;
    });
    std::sort(places.begin(), places.end());
    return places;
}
