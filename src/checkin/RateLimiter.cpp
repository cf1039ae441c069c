#include "checkin/RateLimiter.h"

#include <algorithm>

RateLimiter::RateLimiter(int limit, int64_t windowMs, size_t maxAddresses)
    : limit_(limit), windowMs_(windowMs), maxAddresses_(maxAddresses) {}

double RateLimiter::Refilled(const Bucket& b, int64_t nowMs) const {
    const double gained = double(std::max<int64_t>(0, nowMs - b.at)) * limit_ / double(windowMs_);
    return std::min(double(limit_), b.tokens + gained);
}

void RateLimiter::Prune(int64_t nowMs) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        if (Refilled(it.value(), nowMs) >= limit_)
            it = buckets_.erase(it);
        else
            ++it;
    }
}

bool RateLimiter::Allow(const QString& address, int64_t nowMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = buckets_.find(address);
    if (it == buckets_.end()) {
        if (size_t(buckets_.size()) >= maxAddresses_) Prune(nowMs);
        if (size_t(buckets_.size()) >= maxAddresses_) return false;
        it = buckets_.insert(address, Bucket{double(limit_), nowMs});
    }
    Bucket& b = it.value();
    b.tokens = Refilled(b, nowMs);
    b.at = nowMs;
    if (b.tokens < 1.0) return false;
    b.tokens -= 1.0;
    return true;
}

size_t RateLimiter::Tracked() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return size_t(buckets_.size());
}
