#pragma once

#include <QString>

#include <QHash>
#include <cstdint>
#include <mutex>

// Requests per client address: at most `limit` in any `window` milliseconds (a token bucket
// that refills evenly). The table is bounded: when it is full, addresses whose buckets have
// refilled are forgotten first, and a new address is refused only when none can be.
class RateLimiter {
  public:
    RateLimiter(int limit, int64_t windowMs, size_t maxAddresses);

    // True when the request may go on; nowMs is a steady clock in milliseconds.
    bool Allow(const QString& address, int64_t nowMs);
    size_t Tracked() const;

  private:
    struct Bucket {
        double tokens = 0;
        int64_t at = 0;
    };
    double Refilled(const Bucket& b, int64_t nowMs) const;
    void Prune(int64_t nowMs);

    const int limit_;
    const int64_t windowMs_;
    const size_t maxAddresses_;
    mutable std::mutex mutex_;
    QHash<QString, Bucket> buckets_;
};
