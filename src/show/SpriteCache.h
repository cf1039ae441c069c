#pragma once

#include <QHashFunctions>

#include <cstddef>
#include <limits>
#include <tuple>
#include <unordered_map>
#include <utility>

// Keys are tuples of Qt values, hashed with Qt's own functions.
struct SpriteKeyHash {
    template <typename... T>
    size_t operator()(const std::tuple<T...>& key) const {
        return std::apply([](const T&... part) { return size_t(qHashMulti(0, part...)); }, key);
    }
};

// Ready-drawn pictures by key, with a cap on what they may hold. A show only ever needs a
// handful of entries, so past the cap everything is dropped at once rather than tracked.
// Hashed, not ordered: a rolling tick looks up every name it shows, and a walk down a tree
// of hundreds of names misses the cache at every level.
template <typename Key, typename Value>
class SpriteCache {
  public:
    explicit SpriteCache(size_t maxBytes, size_t maxEntries = std::numeric_limits<size_t>::max())
        : maxBytes_(maxBytes), maxEntries_(maxEntries) {}

    // Null when the key is not held.
    const Value* Find(const Key& key) const {
        auto it = map_.find(key);
        return it == map_.end() ? nullptr : &it->second;
    }
    // Keeps value under key; bytes is what it holds.
    const Value& Insert(Key key, Value value, size_t bytes) {
        if (bytes_ > maxBytes_ || map_.size() >= maxEntries_) Clear();
        bytes_ += bytes;
        return map_.insert_or_assign(std::move(key), std::move(value)).first->second;
    }
    void Clear() {
        map_.clear();
        bytes_ = 0;
    }
    size_t Size() const { return map_.size(); }
    size_t Bytes() const { return bytes_; }

  private:
    size_t maxBytes_;
    size_t maxEntries_;
    size_t bytes_ = 0;
    std::unordered_map<Key, Value, SpriteKeyHash> map_;
};
