#include "CompoundFile.h"

#include <cstdint>
#include <vector>

#include "LittleEndian.h"

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kLastRegular = 0xFFFFFFFA;
constexpr size_t kEntrySize = 128;
constexpr uint8_t kStreamEntry = 2;

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

class Container {
  public:
    explicit Container(std::string_view file) : file_(file) {}

    bool Open() {
        if (file_.size() < 512) return false;
        const uint16_t shift = LittleU16(file_, 0x1E);
        if (shift != 9 && shift != 12) return false;
        sectorSize_ = size_t{1} << shift;
        if (LittleU16(file_, 0x20) != 6) return false;  // 64-byte mini sectors
        miniCutoff_ = LittleU32(file_, 0x38);
        const size_t perSector = sectorSize_ / 4;
        const size_t maxSectors = file_.size() / sectorSize_ + 1;
        for (int i = 0; i < 109; ++i) {
            const uint32_t s = LittleU32(file_, 0x4C + 4 * size_t(i));
            if (s <= kLastRegular) fat_.push_back(s);
        }
        uint32_t difat = LittleU32(file_, 0x44);
        for (size_t steps = 0; difat <= kLastRegular; ++steps) {
            if (steps > maxSectors || !InFile(difat)) return false;
            for (size_t i = 0; i + 1 < perSector; ++i) {
                const uint32_t s = LittleU32(file_, Offset(difat) + 4 * i);
                if (s <= kLastRegular) fat_.push_back(s);
            }
            difat = LittleU32(file_, Offset(difat) + 4 * (perSector - 1));
        }
        for (uint32_t s : fat_)
            if (!InFile(s)) return false;
        return Chain(LittleU32(file_, 0x30), SIZE_MAX, directory_) &&
               directory_.size() >= kEntrySize;
    }

    // Index of the stream entry called name among the root's children, or -1.
    long FindUnderRoot(std::string_view name) const {
        const size_t entries = directory_.size() / kEntrySize;
        std::vector<uint32_t> pending{Entry(0, 0x4C)};
        std::vector<bool> seen(entries, false);
        while (!pending.empty()) {
            const uint32_t id = pending.back();
            pending.pop_back();
            if (id >= entries || seen[id]) continue;  // also the "no sibling" marker
            seen[id] = true;
            if (NameIs(id, name) &&
                static_cast<uint8_t>(directory_[id * kEntrySize + 0x42]) == kStreamEntry)
                return static_cast<long>(id);
            pending.push_back(Entry(id, 0x44));
            pending.push_back(Entry(id, 0x48));
        }
        return -1;
    }

    std::optional<std::string> ReadEntry(size_t id) const {
        const uint32_t start = Entry(id, 0x74);
        const uint32_t size = Entry(id, 0x78);
        if (size > file_.size()) return std::nullopt;
        std::string out;
        if (size >= miniCutoff_) {
            if (!Chain(start, size, out) || out.size() < size) return std::nullopt;
        } else {
            // Small streams live in the mini stream, itself a regular stream of the root.
            std::string mini;
            const uint32_t miniSize = Entry(0, 0x78);
            if (miniSize > file_.size() || !Chain(Entry(0, 0x74), miniSize, mini))
                return std::nullopt;
            std::string miniFat;
            if (!Chain(LittleU32(file_, 0x3C), SIZE_MAX, miniFat)) return std::nullopt;
            const size_t maxSteps = mini.size() / 64 + 1;
            uint32_t sector = start;
            for (size_t steps = 0; out.size() < size; ++steps) {
                if (sector > kLastRegular || steps > maxSteps) return std::nullopt;
                const size_t at = size_t{sector} * 64;
                if (at + 64 > mini.size() || size_t{sector} * 4 + 4 > miniFat.size())
                    return std::nullopt;
                out.append(mini, at, 64);
                sector = LittleU32(miniFat, size_t{sector} * 4);
            }
        }
        out.resize(size);
        return out;
    }

  private:
    size_t Offset(uint32_t sector) const { return (size_t{sector} + 1) * sectorSize_; }
    bool InFile(uint32_t sector) const {
        return sector <= kLastRegular && Offset(sector) + sectorSize_ <= file_.size();
    }
    uint32_t Entry(size_t id, size_t field) const {
        return LittleU32(directory_, id * kEntrySize + field);
    }
    bool NameIs(size_t id, std::string_view name) const {
        const size_t base = id * kEntrySize;
        const uint16_t bytes = LittleU16(directory_, base + 0x40);
        if (bytes != (name.size() + 1) * 2) return false;
        for (size_t i = 0; i < name.size(); ++i) {
            const uint16_t unit = LittleU16(directory_, base + 2 * i);
            if (unit > 0x7F || AsciiLower(static_cast<char>(unit)) != AsciiLower(name[i]))
                return false;
        }
        return true;
    }
    // Appends the sectors of the chain from start until limit bytes are read or the chain
    // ends; false for a sector outside the file, a loop or a chain longer than the file.
    bool Chain(uint32_t start, size_t limit, std::string& out) const {
        const size_t perSector = sectorSize_ / 4;
        const size_t maxSteps = file_.size() / sectorSize_ + 1;
        uint32_t sector = start;
        for (size_t steps = 0; sector != kEndOfChain && out.size() < limit; ++steps) {
            if (steps > maxSteps || !InFile(sector)) return false;
            out.append(file_.substr(Offset(sector), sectorSize_));
            const size_t index = sector / perSector;
            if (index >= fat_.size()) return false;
            sector = LittleU32(file_, Offset(fat_[index]) + 4 * (sector % perSector));
        }
        return true;
    }

    std::string_view file_;
    size_t sectorSize_ = 512;
    uint32_t miniCutoff_ = 4096;
    std::vector<uint32_t> fat_;
    std::string directory_;
};

}  // namespace

std::optional<std::string> CompoundFile::ReadStream(std::string_view file,
                                                    std::initializer_list<std::string_view> names) {
    Container container(file);
    if (!container.Open()) return std::nullopt;
    for (std::string_view name : names) {
        const long id = container.FindUnderRoot(name);
        if (id >= 0) return container.ReadEntry(static_cast<size_t>(id));
    }
    return std::nullopt;
}
