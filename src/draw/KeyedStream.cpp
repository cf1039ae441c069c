#include "draw/KeyedStream.h"

#include <sodium.h>

#include <cstring>
#include <stdexcept>

namespace {
constexpr size_t kChaChaBlockBytes = 64;
}

KeyedStream::KeyedStream(const Key& key) : key_(key) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
    pos_ = buffer_.size();
}

void KeyedStream::Refill() {
    static_assert(sizeof(buffer_) % kChaChaBlockBytes == 0);
    // Each key is used for one stream only, so a fixed nonce is safe.
    const std::array<uint8_t, crypto_stream_chacha20_ietf_NONCEBYTES> nonce{};
    buffer_.fill(0);
    crypto_stream_chacha20_ietf_xor_ic(buffer_.data(), buffer_.data(), buffer_.size(), nonce.data(),
                                       block_, key_.data());
    block_ += static_cast<uint32_t>(buffer_.size() / kChaChaBlockBytes);
    pos_ = 0;
}

uint64_t KeyedStream::Next64() {
    if (pos_ + sizeof(uint64_t) > buffer_.size()) Refill();
    uint64_t v = 0;
    for (size_t i = 0; i < sizeof(uint64_t); ++i) v |= uint64_t(buffer_[pos_ + i]) << (8 * i);
    pos_ += sizeof(uint64_t);
    return v;
}

uint64_t KeyedStream::Below(uint64_t bound) {
    if (bound <= 1) return 0;
    // 2^64 mod bound values at the bottom would make low results more likely; skip them.
    const uint64_t threshold = (0 - bound) % bound;
    uint64_t v = Next64();
    while (v < threshold) v = Next64();
    return v % bound;
}
