#pragma once

#include <QString>

// The secrets in the guests' and the host's links.
namespace CheckInTokens {
// 128 bits from the operating system's entropy, URL-safe base64 without padding (22 letters).
QString New();
// Compares in time that does not depend on where the texts differ.
bool Equal(const QString& expected, const QByteArray& given);
}  // namespace CheckInTokens
