#include "TextArena.h"

#include <algorithm>
#include <cstring>

char* TextArena::Reserve(size_t size) {
    if (size > left_) {
        const size_t block = std::max(kBlockSize, size);
        blocks_.push_back(std::make_unique<char[]>(block));
        cursor_ = blocks_.back().get();
        left_ = block;
    }
    char* at = cursor_;
    cursor_ += size;
    left_ -= size;
    return at;
}

void TextArena::Begin() {
    building_ = cursor_;
    built_ = 0;
}

void TextArena::Append(std::string_view piece) {
    if (piece.empty()) return;
    if (piece.size() > left_) {
        // Move what was built so far to a block with room for the whole text.
        const char* old = building_;
        const size_t block = std::max(kBlockSize, 2 * (built_ + piece.size()));
        auto fresh = std::make_unique<char[]>(block);
        if (built_ > 0) std::memcpy(fresh.get(), old, built_);
        // The old block keeps whatever was stored before; the unfinished text in it is lost.
        building_ = fresh.get();
        cursor_ = building_ + built_;
        left_ = block - built_;
        blocks_.push_back(std::move(fresh));
    }
    std::memcpy(cursor_, piece.data(), piece.size());
    cursor_ += piece.size();
    left_ -= piece.size();
    built_ += piece.size();
}

std::string_view TextArena::Finish() {
    const std::string_view text(building_, built_);
    building_ = nullptr;
    built_ = 0;
    return text;
}
