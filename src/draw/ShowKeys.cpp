#include "draw/ShowKeys.h"

#include <sodium.h>

#include <algorithm>
#include <stdexcept>

ShowKeys::ShowKeys(const Key& secret, int chainLength) : secret_(secret) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
    const int n = std::max(1, chainLength);
    chain_.resize(size_t(n) + 1);
    chain_[size_t(n)] = secret;
    for (int i = n; i > 0; --i) chain_[size_t(i - 1)] = Hash(chain_[size_t(i)]);
}

ShowKeys::Key ShowKeys::FromEntropy() {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
    Key key;
    randombytes_buf(key.data(), key.size());
    return key;
}

ShowKeys::Key ShowKeys::Hash(const Key& key) {
    Key out;
    crypto_hash_sha256(out.data(), key.data(), key.size());
    return out;
}

ShowKeys::Key ShowKeys::TailKey(const Key& secret, int round) {
    Key out;
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    static const char kLabel[] = "vantoria round beyond chain";
    crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(kLabel),
                              sizeof(kLabel) - 1);
    crypto_hash_sha256_update(&state, secret.data(), secret.size());
    const uint32_t r = static_cast<uint32_t>(round);
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(r), static_cast<unsigned char>(r >> 8),
        static_cast<unsigned char>(r >> 16), static_cast<unsigned char>(r >> 24)};
    crypto_hash_sha256_update(&state, bytes, sizeof(bytes));
    crypto_hash_sha256_final(&state, out.data());
    return out;
}

ShowKeys::Key ShowKeys::RoundKey(int round) const {
    if (round >= 1 && round <= ChainLength()) return chain_[size_t(round)];
    return TailKey(secret_, round);
}

QString ShowKeys::Hex(const Key& key) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(key.data()), qsizetype(key.size())).toHex());
}

bool ShowKeys::FromHex(const QString& text, Key& key) {
    if (text.size() != qsizetype(key.size() * 2)) return false;
    for (QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')))
            return false;
    }
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    if (bytes.size() != qsizetype(key.size())) return false;
    std::copy(bytes.begin(), bytes.end(), key.begin());
    return true;
}

QString ShowKeys::Fingerprint(const Key& commitment) {
    const QString hex = Hex(commitment).left(16).toUpper();
    return hex.mid(0, 4) + QLatin1Char(' ') + hex.mid(4, 4) + QLatin1Char(' ') + hex.mid(8, 4) +
           QLatin1Char(' ') + hex.mid(12, 4);
}
