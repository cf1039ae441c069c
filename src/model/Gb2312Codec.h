#pragma once

#include <QByteArray>

// The encoding of cd.xml and data.xml. The files declare GB2312. They are read as its GBK
// superset, as the platform they come from reads them, so files older programs wrote with GBK
// bytes still read. They are written strictly as GB2312, every other character as a character
// reference, so other XML tools accept them and older copies of the program read them too.
class Gb2312Codec {
  public:
    // Registers the reader and the writer with libxml2 for the names GB2312 and GBK. Once per
    // process, before the first document is parsed or written.
    static void RegisterWithLibxml();

    // Appends UTF-8 markup as GB2312 bytes to out; a character GB2312 lacks becomes "&#N;"
    // (so it must not stand inside a name). False when the text is not valid UTF-8 or no
    // converter exists.
    static bool Encode(const QByteArray& utf8, QByteArray& out);

    // Whether the two bytes (EUC-CN) stand for a character of GB2312.
    static bool IsGb2312(unsigned char lead, unsigned char trail);
};
