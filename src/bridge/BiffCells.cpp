#include "BiffCells.h"

#include <algorithm>
#include <cstring>

#include "AppendUtf8.h"
#include "LittleEndian.h"

namespace {

constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kBoolErr = 0x0205;
constexpr uint16_t kFormula = 0x0006;
constexpr uint16_t kString = 0x0207;
constexpr uint16_t kContinue = 0x003C;
// Records that may stand between a formula and the STRING record holding its text.
constexpr uint16_t kSharedFormula = 0x04BC;
constexpr uint16_t kArray = 0x0221;
constexpr uint16_t kTable = 0x0236;

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

// The text of a STRING record and its CONTINUE records: a character count, then runs of
// characters, each run led by a byte saying whether they are one byte (Latin-1) or UTF-16LE.
class StringReader {
  public:
    void Start(std::string_view data) {
        units_.clear();
        left_ = data.size() >= 3 ? LittleU16(data, 0) : 0;
        if (data.size() >= 3) Run(data.substr(2));
    }
    void Continue(std::string_view data) {
        if (left_ > 0) Run(data);
    }
    bool Complete() const { return left_ == 0; }

    std::string Utf8() const {
        std::string out;
        out.reserve(units_.size() * 3);
        for (size_t i = 0; i < units_.size(); ++i) {
            uint32_t code = units_[i];
            if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units_.size() &&
                units_[i + 1] >= 0xDC00 && units_[i + 1] <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (units_[++i] - 0xDC00);
            } else if (code >= 0xD800 && code <= 0xDFFF) {
                code = 0xFFFD;  // a lone surrogate
            }
            AppendUtf8(out, code);
        }
        return out;
    }

  private:
    void Run(std::string_view run) {
        if (run.empty()) return;
        const bool wide = (static_cast<unsigned char>(run[0]) & 1) != 0;
        run.remove_prefix(1);
        const size_t width = wide ? 2 : 1;
        const size_t count = std::min<size_t>(left_, run.size() / width);
        for (size_t i = 0; i < count; ++i)
            units_.push_back(wide ? LittleU16(run, 2 * i) : static_cast<unsigned char>(run[i]));
        left_ -= count;
    }

    std::vector<uint16_t> units_;
    size_t left_ = 0;
};

}  // namespace

BiffCells::Found BiffCells::Read(std::string_view stream) {
    Found found;
    if (stream.size() < 4 || LittleU16(stream, 0) != kBof) return found;

    // The workbook globals list the sheets in order, each with the offset of its substream.
    size_t firstSheet = 0;
    bool listed = false;
    Walk(stream, 0, [&](uint16_t type, std::string_view data) {
        if (type == kBoundSheet && data.size() >= 4) {
            firstSheet = LittleU32(data, 0);
            listed = true;
            return false;
        }
        return type != kEof;
    });
    if (!listed || firstSheet + 4 > stream.size() || LittleU16(stream, firstSheet) != kBof)
        return found;
    // Excel 5/95 (BIFF5) keeps formula text in the file's code page without the option byte
    // of BIFF8; such text is left empty rather than read wrongly.
    constexpr uint16_t kBiff8 = 0x0600;
    const bool biff8 =
        firstSheet + 6 <= stream.size() && LittleU16(stream, firstSheet + 4) == kBiff8;

    // The sheet's substream, up to its own EOF; charts embedded in it nest BOF/EOF pairs.
    int depth = 0;
    // The formula whose text the next STRING record holds, and the one whose text is being
    // read (indices: the list grows meanwhile).
    constexpr size_t kNone = static_cast<size_t>(-1);
    size_t awaiting = kNone;
    size_t reading = kNone;
    StringReader text;
    const auto finishText = [&] {
        if (reading != kNone && text.Complete()) found.formulas[reading].text = text.Utf8();
        reading = kNone;
    };
    Walk(stream, firstSheet, [&](uint16_t type, std::string_view data) {
        if (type == kContinue && reading != kNone) {
            text.Continue(data);
            return true;
        }
        finishText();
        if (type == kBof) ++depth;
        if (type == kEof) return --depth > 0;
        if (depth != 1) return true;
        if (type == kString) {
            if (awaiting != kNone) {
                reading = awaiting;
                text.Start(data);
            }
            awaiting = kNone;
        } else if (type == kFormula && data.size() >= 14) {
            Formula f;
            f.place = Place(LittleU16(data, 0), LittleU16(data, 2));
            const std::string_view value = data.substr(6, 8);
            if (LittleU16(value, 6) != 0xFFFF) {
                f.result = Formula::Result::Number;
                std::memcpy(&f.number, value.data(), sizeof f.number);
            } else {
                switch (static_cast<unsigned char>(value[0])) {
                    case 0:
                        f.result = biff8 ? Formula::Result::Text : Formula::Result::Empty;
                        break;
                    case 1:
                        f.result = Formula::Result::Boolean;
                        break;
                    case 2:
                        f.result = Formula::Result::Error;
                        break;
                    default:
                        f.result = Formula::Result::Empty;
                        break;
                }
            }
            awaiting = f.result == Formula::Result::Text ? found.formulas.size() : kNone;
            found.formulas.push_back(std::move(f));
        } else if (type == kBoolErr && data.size() >= 8) {
            found.boolErr.emplace_back(LittleU16(data, 0), LittleU16(data, 2));
            awaiting = kNone;
        } else if (type != kSharedFormula && type != kArray && type != kTable) {
            awaiting = kNone;
        }
        return true;
    });
    finishText();
    // A text result whose STRING record is missing or cut short imports as empty.
    for (Formula& f : found.formulas)
        if (f.result == Formula::Result::Text && f.text.empty()) f.result = Formula::Result::Empty;
    std::sort(found.boolErr.begin(), found.boolErr.end());
    std::stable_sort(found.formulas.begin(), found.formulas.end(),
                     [](const Formula& a, const Formula& b) { return a.place < b.place; });
    return found;
}
