#include "CompoundFileCheck.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kLastRegular = 0xFFFFFFFA;  // values above mark free or special sectors
constexpr size_t kEntrySize = 128;
constexpr uint16_t kMaxNameBytes = 64;
constexpr uint16_t kStream = 2;
constexpr uint16_t kRoot = 5;

class Reader {
  public:
    explicit Reader(std::string_view file) : file_(file) {}

    std::optional<uint32_t> U32(uint64_t at) const {
        if (at + 4 > file_.size()) return std::nullopt;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(file_[at + i]);
        return v;
    }
    std::optional<uint16_t> U16(uint64_t at) const {
        if (at + 2 > file_.size()) return std::nullopt;
        return static_cast<uint16_t>(static_cast<unsigned char>(file_[at]) |
                                     static_cast<unsigned char>(file_[at + 1]) << 8);
    }
    uint64_t Size() const { return file_.size(); }

  private:
    std::string_view file_;
};

}  // namespace

bool CompoundFileCheck::DirectoryIsSound(std::string_view file) {
    const Reader in(file);
    const auto shift = in.U16(0x1E);
    if (!shift || (*shift != 9 && *shift != 12)) return false;
    const uint64_t sectorSize = uint64_t{1} << *shift;
    const uint64_t perSector = sectorSize / 4;
    // Sector n starts after the header, which takes one sector's room.
    const auto offset = [&](uint32_t sector) { return (uint64_t{sector} + 1) * sectorSize; };
    const uint64_t maxSteps = in.Size() / sectorSize + 1;  // no chain is longer than the file

    // The allocation table's own sectors: 109 in the header, the rest in the DIFAT chain.
    std::vector<uint32_t> fat;
    for (int i = 0; i < 109; ++i) {
        const auto s = in.U32(0x4C + 4 * i);
        if (!s) return false;
        if (*s <= kLastRegular) fat.push_back(*s);
    }
    auto difat = in.U32(0x44);
    if (!difat) return false;
    for (uint64_t steps = 0; *difat <= kLastRegular; ++steps) {
        if (steps > maxSteps) return false;
        for (uint64_t i = 0; i + 1 < perSector; ++i) {
            const auto s = in.U32(offset(*difat) + 4 * i);
            if (!s) return false;
            if (*s <= kLastRegular) fat.push_back(*s);
        }
        difat = in.U32(offset(*difat) + 4 * (perSector - 1));
        if (!difat) return false;
    }
    const auto next = [&](uint32_t sector) -> std::optional<uint32_t> {
        const uint64_t index = sector / perSector;
        if (index >= fat.size()) return std::nullopt;
        return in.U32(offset(fat[index]) + 4 * (sector % perSector));
    };

    auto sector = in.U32(0x30);
    if (!sector || *sector > kLastRegular) return false;
    for (uint64_t steps = 0; *sector != kEndOfChain; ++steps) {
        if (*sector > kLastRegular || steps > maxSteps) return false;
        for (uint64_t e = 0; e < sectorSize / kEntrySize; ++e) {
            const uint64_t entry = offset(*sector) + e * kEntrySize;
            const auto nameBytes = in.U16(entry + 0x40);
            if (!nameBytes || *nameBytes > kMaxNameBytes) return false;
            // No stream (nor the root's mini stream) can be larger than the file holding it;
            // freexl allocates whatever size an entry claims.
            const auto type = in.U16(entry + 0x42);
            const auto size = in.U32(entry + 0x78);
            const auto sizeHigh = in.U32(entry + 0x7C);
            if (!type || !size || !sizeHigh) return false;
            const uint16_t kind = *type & 0xFF;
            if ((kind == kStream || kind == kRoot) && (*sizeHigh != 0 || *size > in.Size()))
                return false;
        }
        sector = next(*sector);
        if (!sector) return false;
    }
    return true;
}
