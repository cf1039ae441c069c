#pragma once

#include <QString>

#include <QHash>
#include <cstdint>
#include <mutex>
#include <vector>

// Requests per client address: at most `limit` in any `window` milliseconds (each address keeps
// the times of its last `limit` requests, so a burst at the end of one window cannot add to
// one at the start of the next). The table is bounded: when it is full, addresses with no
// request in the last window are forgotten first, and a new address is refused only when none
// can be.
class RateLimiter {
  public:
    RateLimiter(int limit, int64_t windowMs, size_t maxAddresses);

    // True when the request may go on; nowMs is a steady clock in milliseconds.
    bool Allow(const QString& address, int64_t nowMs);
    size_t Tracked() const;

  private:
    struct Bucket {
        std::vector<int64_t> times;  // a ring of the last `limit` requests allowed
        size_t oldest = 0;           // where the ring's oldest is, once it is full
        int64_t last = 0;
    };
    void Prune(int64_t nowMs);

    const int limit_;
    const int64_t windowMs_;
    const size_t maxAddresses_;
    mutable std::mutex mutex_;
    QHash<QString, Bucket> buckets_;
};
