#include "ZipEntryStream.h"

#include <algorithm>
#include <stdexcept>

ZipEntryStream::ZipEntryStream(zip_t* archive, zip_uint64_t index, Budget& budget)
    : budget_(budget) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0) throw std::runtime_error("zip entry");
    limit_ = std::min(kMaxEntryBytes, budget_.remaining);
    if (stat.valid & ZIP_STAT_SIZE) {
        if (stat.size > limit_) throw std::runtime_error("zip entry too large");
        limit_ = stat.size;
    }
    file_ = zip_fopen_index(archive, index, 0);
    if (!file_) throw std::runtime_error("zip entry unreadable");
}

ZipEntryStream::~ZipEntryStream() {
    if (file_) zip_fclose(file_);
}

int ZipEntryStream::Read(char* buffer, int size) {
    if (failed_ || size <= 0) return failed_ ? -1 : 0;
    // Ask for one byte more than allowed, so an entry that inflates past its bound is seen.
    const uint64_t room = limit_ - read_ + 1;
    const zip_uint64_t want = std::min<uint64_t>(static_cast<uint64_t>(size), room);
    const zip_int64_t got = zip_fread(file_, buffer, want);
    if (got < 0 || read_ + static_cast<uint64_t>(got) > limit_) {
        failed_ = true;
        return -1;
    }
    read_ += static_cast<uint64_t>(got);
    budget_.remaining -= static_cast<uint64_t>(got);
    return static_cast<int>(got);
}
