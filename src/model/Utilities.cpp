#include "model/Utilities.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cctype>
#include <climits>

QString ExeDirectory() {
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty()) dir = QDir::currentPath();
    return WithSlash(dir);
}

QString WithSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

QString FileNameOf(const QString& path) {
    // Both separators count, so names stored on another platform still show their file name.
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QString IntToText(int value) {
    return QString::number(value);
}

QString LocalTimeText() {
    return LocalTimeText(std::time(nullptr));
}

QString LocalTimeText(std::time_t when) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(when))
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

bool FileExists(const QString& path, bool wantFolder) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (!info.exists()) return false;
    return wantFolder ? info.isDir() : !info.isDir();
}

QString ImportErrorText(int code) {
    switch (code) {
        case -3:
            return QStringLiteral("解析Excel出错");
        case -2:
            return QStringLiteral("Excel未被正确安装");
        case -1:
            return QStringLiteral("无效的参数");
        default:
            return QStringLiteral("未知错误");
    }
}

int32_t ParseInt(const char* text) {
    if (!text) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    int64_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (*p - '0');
        if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
        ++p;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    if (value < INT32_MIN) value = INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t ParseInt(const QString& text) {
    return ParseInt(text.toUtf8().constData());
}
