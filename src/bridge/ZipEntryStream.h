#pragma once

#include <zip.h>

#include <cstdint>

// Reads one entry of an open archive, bounded so that a hostile archive cannot fill memory:
// no entry may inflate to more than kMaxEntryBytes nor beyond its declared size, and all
// entries read through one budget together no more than kMaxTotalBytes. The bounds are
// checked while inflating, not only against the (forgeable) sizes in the headers.
class ZipEntryStream {
  public:
    static constexpr uint64_t kMaxEntryBytes = 256ull << 20;
    static constexpr uint64_t kMaxTotalBytes = 1ull << 30;

    struct Budget {
        uint64_t remaining = kMaxTotalBytes;
    };

    // Throws std::runtime_error when the entry cannot be opened or is declared too large.
    ZipEntryStream(zip_t* archive, zip_uint64_t index, Budget& budget);
    ~ZipEntryStream();
    ZipEntryStream(const ZipEntryStream&) = delete;
    ZipEntryStream& operator=(const ZipEntryStream&) = delete;

    // Bytes read into buffer, 0 at the end, -1 on a read error or a passed bound.
    int Read(char* buffer, int size);
    bool Failed() const { return failed_; }

  private:
    zip_file_t* file_ = nullptr;
    Budget& budget_;
    uint64_t limit_ = kMaxEntryBytes;
    uint64_t read_ = 0;
    bool failed_ = false;
};
