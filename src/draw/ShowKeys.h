#pragma once

#include <QString>

#include <vector>

#include "draw/KeyedStream.h"

// The secrets of one show. A random secret S is hashed over and over: round r draws with
// H^(N-r)(S) and the show commits to H^N(S) before the first roll. Revealing the key of a
// finished round lets anyone check it (its hash is the previous key) without giving away the
// next one, so even a show that never ended properly stays verifiable round by round.
class ShowKeys {
  public:
    using Key = KeyedStream::Key;
    static constexpr int kChainLength = 10000;

    explicit ShowKeys(const Key& secret, int chainLength = kChainLength);

    // 32 bytes from the operating system's entropy source.
    static Key FromEntropy();
    static Key Hash(const Key& key);
    // Key of round r (from 1). Rounds beyond the chain use TailKey, which only the revealed
    // secret opens.
    Key RoundKey(int round) const;
    const Key& Commitment() const { return chain_.front(); }
    int ChainLength() const { return static_cast<int>(chain_.size()) - 1; }
    const Key& Secret() const { return secret_; }

    static QString Hex(const Key& key);
    static bool FromHex(const QString& text, Key& key);
    // The first 16 hex digits of a commitment in groups of four, as the room sees it.
    static QString Fingerprint(const Key& commitment);
    // Key of a round beyond the chain: a hash of the secret and the round number.
    static Key TailKey(const Key& secret, int round);

  private:
    Key secret_;
    std::vector<Key> chain_;  // chain_[i] = H^(N-i)(S): [0] the commitment, [N] the secret
};
