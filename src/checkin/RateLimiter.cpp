#include "checkin/RateLimiter.h"

RateLimiter::RateLimiter(int limit, int64_t windowMs, size_t maxAddresses)
    : limit_(limit), windowMs_(windowMs), maxAddresses_(maxAddresses) {}

void RateLimiter::Prune(int64_t nowMs) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        if (nowMs - it.value().last >= windowMs_)
            it = buckets_.erase(it);
        else
            ++it;
    }
}

bool RateLimiter::Allow(const QString& address, int64_t nowMs) {
    if (limit_ <= 0) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = buckets_.find(address);
    if (it == buckets_.end()) {
        if (size_t(buckets_.size()) >= maxAddresses_) Prune(nowMs);
        if (size_t(buckets_.size()) >= maxAddresses_) return false;
        it = buckets_.insert(address, Bucket{});
        it.value().times.reserve(size_t(limit_));
    }
    Bucket& b = it.value();
    if (b.times.size() < size_t(limit_)) {
        b.times.push_back(nowMs);
    } else {
        // The limit-th request before this one must have left the window.
        if (nowMs - b.times[b.oldest] < windowMs_) return false;
        b.times[b.oldest] = nowMs;
        b.oldest = (b.oldest + 1) % b.times.size();
    }
    b.last = nowMs;
    return true;
}

size_t RateLimiter::Tracked() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return size_t(buckets_.size());
}
