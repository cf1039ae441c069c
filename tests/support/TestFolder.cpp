#include "support/TestFolder.h"

#include <QDir>
#include <QFile>

#include <iconv.h>

TestFolder::TestFolder() : dir_(QDir::tempPath() + QStringLiteral("/vantoria-test-XXXXXX")) {}

void TestFolder::Write(const QString& name, const QByteArray& bytes) const {
    QFile f(File(name));
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

void TestFolder::WriteGbk(const QString& name, const QString& text) const {
    Write(name, ToGbk(text));
}

QByteArray TestFolder::Read(const QString& name) const {
    QFile f(File(name));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

QByteArray ToCharset(const QString& text, const char* charset) {
    QByteArray in = text.toUtf8();
    iconv_t cd = iconv_open(charset, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return QByteArray();
    QByteArray out(in.size() * 2 + 16, '\0');
    char* src = in.data();
    size_t srcLeft = static_cast<size_t>(in.size());
    char* dst = out.data();
    size_t dstLeft = static_cast<size_t>(out.size());
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return QByteArray();
    out.resize(out.size() - static_cast<qsizetype>(dstLeft));
    return out;
}

QByteArray ToGbk(const QString& text) {
    return ToCharset(text, "GBK");
}
