#include "checkin/CheckInTokens.h"

#include <QByteArray>

#include <sodium.h>

namespace CheckInTokens {

QString New() {
    if (sodium_init() < 0) return QString();
    QByteArray bytes(16, '\0');
    randombytes_buf(bytes.data(), size_t(bytes.size()));
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

bool Equal(const QString& expected, const QByteArray& given) {
    const QByteArray want = expected.toUtf8();
    // The length of a token is no secret; its letters are.
    if (want.isEmpty() || want.size() != given.size()) return false;
    return sodium_memcmp(want.constData(), given.constData(), size_t(want.size())) == 0;
}

}  // namespace CheckInTokens
