#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary program folder for one test; Path() ends with "/".
class TestFolder {
  public:
    TestFolder();
    QString Path() const { return dir_.path() + QLatin1Char('/'); }
    QString File(const QString& name) const { return Path() + name; }
    // Writes raw bytes; for XML fixtures given as UTF-8 text the GB2312 declaration is
    // honoured by encoding the text as GBK first when gbk is set.
    void Write(const QString& name, const QByteArray& bytes) const;
    void WriteGbk(const QString& name, const QString& text) const;
    QByteArray Read(const QString& name) const;

  private:
    QTemporaryDir dir_;
};

// Text in the bytes of an iconv character set; empty when it cannot be converted.
QByteArray ToCharset(const QString& text, const char* charset);
// Text in GBK bytes, as the data files use it.
QByteArray ToGbk(const QString& text);
