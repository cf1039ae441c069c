// Proves that the cross-built Windows prefix works: one real call into each dependency, run
// under Wine by `scripts/windows.sh smoke`. Prints one line per check; exits 1 if any failed.
// Argument: the folder with the sample files (default: data/ beside the program).

// C libraries first: microhttpd.h pulls in winsock2.h, which must come before windows.h.
#include <microhttpd.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <freexl.h>
#include <iconv.h>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlversion.h>
#include <qrencode.h>
#include <sodium.h>
#include <uchardet/uchardet.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <id3/misc_support.h>
#include <id3/tag.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const char* what, const QString& detail) {
    std::printf("%s %-12s %s\n", ok ? "ok  " : "FAIL", what, detail.toUtf8().constData());
    std::fflush(stdout);
    if (!ok) ++failures;
}

QString hex(const std::string& s) {
    return QString::fromLatin1(QByteArray(s.data(), qsizetype(s.size())).toHex(' '));
}

// One iconv() call over the whole input; reports errno and what is left.
struct Conv {
    std::string out;
    size_t result = 0;
    int err = 0;
    size_t inLeft = 0;
};

Conv convert(const char* to, const char* from, const std::string& in, size_t room = 256) {
    Conv c;
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) {
        c.err = errno;
        c.result = size_t(-1);
        return c;
    }
    std::string buf(room, '\0');
    char* src = const_cast<char*>(in.data());
    char* dst = buf.data();
    size_t srcLeft = in.size(), dstLeft = room;
    errno = 0;
    c.result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    c.err = c.result == size_t(-1) ? errno : 0;
    c.inLeft = srcLeft;
    c.out.assign(buf.data(), room - dstLeft);
    iconv_close(cd);
    return c;
}

void checkIconv() {
    const std::string zhongwen = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文 in UTF-8
    Conv c = convert("UTF-8", "GB18030", "\xD6\xD0\xCE\xC4");
    check(c.result == 0 && c.out == zhongwen, "iconv", "GB18030 D6D0CEC4 -> UTF-8 " + hex(c.out));

    // U+20000 needs the four-byte form of GB18030 and a surrogate pair in UTF-16.
    c = convert("GB18030", "UTF-8", "\xF0\xA0\x80\x80");
    Conv back = convert("UTF-8", "UTF-16LE", std::string("\x40\xD8\x00\xDC", 4));
    check(c.out == "\x95\x32\x82\x36" && back.out == "\xF0\xA0\x80\x80", "iconv",
          "U+20000: GB18030 " + hex(c.out) + ", from UTF-16LE " + hex(back.out));

    c = convert("UTF-8", "GB18030", "\xD6\xD0\xCE\xC4", 4);
    check(c.err == E2BIG && c.out == zhongwen.substr(0, 3) && c.inLeft == 2, "iconv",
          "E2BIG stops after the first character");
    c = convert("UTF-8", "GB18030", "\xD6\xD0\xCE");
    check(c.err == EINVAL && c.inLeft == 1 && c.out == zhongwen.substr(0, 3), "iconv",
          "EINVAL for a character cut short");
    c = convert("UTF-16LE", "UTF-8", "a\xC3\x28");
    check(c.err == EILSEQ && c.inLeft == 2, "iconv", "EILSEQ for malformed UTF-8");

    c = convert("CP1252", "UTF-8", "\xE2\x82\xAC");
    Conv strict = convert("ASCII", "UTF-8", "\xC3\xA9");
    Conv lossy = convert("ASCII//TRANSLIT", "UTF-8", "\xC3\xA9");
    check(c.out == "\x80" && strict.err == EILSEQ && lossy.out == "?" && lossy.result == 1, "iconv",
          "CP1252 euro " + hex(c.out) + ", e-acute to ASCII refused, //TRANSLIT '?'");

    // Every name freexl asks for must open, else it cannot read such a workbook.
    const char* freexlNames[] = {
        "ASCII",  "CP437",  "CP720",  "CP737",  "CP775",  "CP850",    "CP852",  "CP855",   "CP857",
        "CP858",  "CP860",  "CP861",  "CP862",  "CP863",  "CP864",    "CP865",  "CP866",   "CP869",
        "CP874",  "CP932",  "CP936",  "CP949",  "CP950",  "UTF-16LE", "CP1250", "CP1251",  "CP1252",
        "CP1253", "CP1254", "CP1255", "CP1256", "CP1257", "CP1258",   "CP1361", "MacRoman"};
    QStringList missing;
    for (const char* name : freexlNames) {
        iconv_t cd = iconv_open("UTF-8", name);
        if (cd == (iconv_t)-1)
            missing << name;
        else
            iconv_close(cd);
    }
    errno = 0;
    iconv_t bogus = iconv_open("UTF-8", "NO-SUCH-CODE");
    check(missing.isEmpty() && bogus == (iconv_t)-1 && errno == EINVAL, "iconv",
          missing.isEmpty() ? QString("all %1 code pages of freexl open; unknown names refused")
                                  .arg(std::size(freexlNames))
                            : "missing: " + missing.join(' '));
}

void checkImages(const QString& data) {
    QStringList formats;
    for (const QByteArray& f : QImageReader::supportedImageFormats())
        formats << QString::fromLatin1(f);
    check(formats.contains("jpeg") && formats.contains("png") && formats.contains("gif") &&
              formats.contains("bmp") && formats.contains("ico"),
          "qt-images", "formats: " + formats.join(' '));

    for (const char* name : {"default.jpg", "prize_1.png"}) {
        const QString file = data + "/" + name;
        QImageReader reader(file);
        QImage img = reader.read();
        check(!img.isNull(), "qt-images",
              QString("%1: %2 %3x%4 %5")
                  .arg(name, QString::fromLatin1(QImageReader::imageFormat(file)))
                  .arg(img.width())
                  .arg(img.height())
                  .arg(img.isNull() ? reader.errorString() : ""));
    }

    // A 1x1 GIF, and BMP and ICO written and read back.
    static const unsigned char gif[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    QImage g = QImage::fromData(gif, sizeof gif, "GIF");
    check(!g.isNull() && g.pixelColor(0, 0) == QColor(Qt::red), "qt-images",
          "GIF 1x1 pixel " + (g.isNull() ? QString("none") : g.pixelColor(0, 0).name()));
    for (const char* fmt : {"BMP", "ICO"}) {
        QImage src(16, 16, QImage::Format_ARGB32);
        src.fill(QColor(0, 128, 255));
        QBuffer buf;
        buf.open(QIODevice::ReadWrite);
        bool written = QImageWriter(&buf, fmt).write(src);
        QImage dst = QImage::fromData(buf.data(), fmt);
        check(written && dst.size() == src.size() && dst.pixelColor(3, 3) == QColor(0, 128, 255),
              "qt-images", QString("%1 round trip, %2 bytes").arg(fmt).arg(buf.size()));
    }
}

void checkFontsAndWidgets(const QString& translations) {
    const QString family = "Noto Sans CJK SC";
    bool has = QFontDatabase::families().contains(family);
    QFont font(family, 24);
    const QString text = QString::fromUtf8("抽奖");
    QImage img(200, 60, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(img.rect(), Qt::AlignCenter, text);
    }
    int dark = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) dark += qGray(img.pixel(x, y)) < 128;
    check(has && QFontMetrics(font).inFont(text[0]) && dark > 50, "qt-fonts",
          QString("%1 %2, \"%3\" drew %4 dark pixels")
              .arg(family, has ? "found" : "missing", text)
              .arg(dark));

    QTranslator tr;
    bool loaded = tr.load("qtbase_zh_CN", translations);
    QCoreApplication::installTranslator(&tr);
    QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    check(loaded && cancel != "Cancel", "qt-i18n", "qtbase_zh_CN: Cancel -> " + cancel);

    QLineEdit edit;
    edit.show();
    QTest::keyClicks(&edit, "Vantoria");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    check(edit.text() == "Vantori", "qt-test", "QTest typed into a QLineEdit: " + edit.text());
}

MHD_Result answer(void*, MHD_Connection* conn, const char* url, const char*, const char*,
                  const char*, size_t*, void**) {
    static const char body[] = "hello from libmicrohttpd";
    MHD_Response* r =
        MHD_create_response_from_buffer(sizeof body - 1, (void*)body, MHD_RESPMEM_PERSISTENT);
    MHD_add_response_header(r, "X-Url", url);
    MHD_Result ret = MHD_queue_response(conn, MHD_HTTP_OK, r);
    MHD_destroy_response(r);
    return ret;
}

void checkHttp() {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    MHD_Daemon* d =
        MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_ERROR_LOG, 0, nullptr, nullptr,
                         &answer, nullptr, MHD_OPTION_SOCK_ADDR, &addr, MHD_OPTION_END);
    if (!d) {
        check(false, "microhttpd", "MHD_start_daemon failed");
        return;
    }
    unsigned port = MHD_get_daemon_info(d, MHD_DAEMON_INFO_BIND_PORT)->port;

    QNetworkAccessManager nam;
    QNetworkReply* reply =
        nam.get(QNetworkRequest(QUrl(QString("http://127.0.0.1:%1/smoke").arg(port))));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    loop.exec();
    QByteArray body = reply->isFinished() ? reply->readAll() : QByteArray();
    QByteArray header = reply->rawHeader("X-Url");
    delete reply;
    MHD_stop_daemon(d);
    check(body == "hello from libmicrohttpd" && header == "/smoke", "microhttpd",
          QString("MHD %1 on 127.0.0.1:%2, QtNetwork GET /smoke -> \"%3\"; stopped")
              .arg(MHD_get_version())
              .arg(port)
              .arg(QString::fromLatin1(body)));
}

void checkXml() {
    const char utf8[] = "<?xml version='1.0' encoding='UTF-8'?><r>\xE6\x8A\xBD\xE5\xA5\x96</r>";
    const char latin2[] = "<?xml version='1.0' encoding='ISO-8859-2'?><r>\xB1</r>";
    std::string got[2];
    int i = 0;
    for (const char* doc : {utf8, latin2}) {
        xmlDocPtr d = xmlReadMemory(doc, int(std::strlen(doc)), "smoke.xml", nullptr, 0);
        if (d) {
            xmlChar* s = xmlNodeGetContent(xmlDocGetRootElement(d));
            got[i] = reinterpret_cast<const char*>(s);
            xmlFree(s);
            xmlFreeDoc(d);
        }
        ++i;
    }
    bool iconvBuiltIn = xmlHasFeature(XML_WITH_ICONV);
    xmlCharEncodingHandlerPtr gbk = xmlFindCharEncodingHandler("GBK");
    check(got[0] == "\xE6\x8A\xBD\xE5\xA5\x96" && got[1] == "\xC4\x85" && !iconvBuiltIn && !gbk,
          "libxml2",
          QString("%1: UTF-8 and ISO-8859-2 parsed (%2, %3); no iconv, GBK left to the program")
              .arg(LIBXML_DOTTED_VERSION, QString::fromStdString(got[0]),
                   QString::fromStdString(got[1])));
}

void checkWorkbooks(const QString& data, const QString& tmp) {
    const QString xls = data + "/titles_in_order.xls";
    const void* h = nullptr;
    std::string cell;
    int rc = freexl_open(QDir::toNativeSeparators(xls).toLocal8Bit().constData(), &h);
    if (rc == FREEXL_OK) {
        FreeXL_CellValue v;
        if (freexl_select_active_worksheet(h, 0) == FREEXL_OK &&
            freexl_get_cell_value(h, 1, 1, &v) == FREEXL_OK &&
            (v.type == FREEXL_CELL_TEXT || v.type == FREEXL_CELL_SST_TEXT))
            cell = v.value.text_value;
        freexl_close(h);
    }
    check(cell == "  \xE5\xBC\xA0\xE4\xB8\x89 ", "freexl",
          QString("freexl %1 read B2 of titles_in_order.xls: \"%2\"")
              .arg(freexl_version(), QString::fromStdString(cell)));

    const QByteArray path = QDir::toNativeSeparators(tmp + "/smoke.xlsx").toLocal8Bit();
    lxw_workbook* wb = workbook_new(path.constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    worksheet_write_string(ws, 0, 0, "\xE5\xBC\xA0\xE4\xB8\x89", nullptr);
    worksheet_write_number(ws, 0, 1, 13800138000.0, nullptr);
    lxw_error werr = workbook_close(wb);
    check(werr == LXW_NO_ERROR, "xlsxwriter",
          QString("libxlsxwriter %1 wrote smoke.xlsx").arg(lxw_version()));

    // libzip reads the workbook back: the shared strings must hold the name.
    std::string strings;
    int zerr = 0;
    zip_t* z = zip_open(path.constData(), ZIP_RDONLY, &zerr);
    zip_int64_t entries = z ? zip_get_num_entries(z, 0) : -1;
    if (z) {
        zip_stat_t st;
        if (zip_stat(z, "xl/sharedStrings.xml", 0, &st) == 0) {
            zip_file_t* f = zip_fopen(z, "xl/sharedStrings.xml", 0);
            strings.resize(st.size);
            if (f && zip_fread(f, strings.data(), st.size) != zip_int64_t(st.size)) strings.clear();
            if (f) zip_fclose(f);
        }
        zip_close(z);
    }
    check(strings.find("\xE5\xBC\xA0\xE4\xB8\x89") != std::string::npos, "libzip",
          QString("libzip %1 opened smoke.xlsx: %2 entries, shared strings have the name")
              .arg(zip_libzip_version())
              .arg(entries));
}

void checkSodium() {
    unsigned char out[32];
    const unsigned char abc[] = "abc";
    bool init = sodium_init() >= 0;
    crypto_generichash(out, sizeof out, abc, 3, nullptr, 0);
    char hexOut[65];
    sodium_bin2hex(hexOut, sizeof hexOut, out, sizeof out);
    uint32_t r = randombytes_uniform(100);
    check(init &&
              std::strcmp(hexOut,
                          "bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068"
                          "d52319") == 0 &&
              r < 100,
          "libsodium",
          QString("%1: BLAKE2b-256(\"abc\") = %2…, random draw %3")
              .arg(sodium_version_string(), QString(hexOut).left(16))
              .arg(r));
}

void checkQr() {
    QRcode* qr = QRcode_encodeString("https://127.0.0.1/\xE6\x8A\xBD\xE5\xA5\x96", 0, QR_ECLEVEL_M,
                                     QR_MODE_8, 1);
    bool ok = qr && qr->width == 17 + 4 * qr->version && (qr->data[0] & 1);
    check(ok, "qrencode",
          qr ? QString("version %1, %2x%2 modules").arg(qr->version).arg(qr->width) : "failed");
    if (qr) QRcode_free(qr);
}

void checkCharset() {
    // A longer Chinese sentence in GB18030, converted by the shim.
    const std::string utf8 =
        "\xE4\xBB\x8A\xE5\xB9\xB4\xE7\x9A\x84\xE5\xB9\xB4\xE4\xBC\x9A\xE6"
        "\x8A\xBD\xE5\xA5\x96\xE5\xBC\x80\xE5\xA7\x8B\xE4\xBA\x86\xEF\xBC"
        "\x8C\xE8\xAF\xB7\xE5\xA4\xA7\xE5\xAE\xB6\xE5\x88\xB0\xE5\x89\x8D"
        "\xE5\x8F\xB0\xE9\xA2\x86\xE5\x8F\x96\xE5\xA5\x96\xE5\x93\x81\xE3"
        "\x80\x82\xE4\xB8\x80\xE7\xAD\x89\xE5\xA5\x96\xE4\xB8\x89\xE5\x90"
        "\x8D\xEF\xBC\x8C\xE4\xBA\x8C\xE7\xAD\x89\xE5\xA5\x96\xE4\xBA\x94"
        "\xE5\x90\x8D\xE3\x80\x82";
    std::string gb = convert("GB18030", "UTF-8", utf8).out;
    uchardet_t u = uchardet_new();
    uchardet_handle_data(u, gb.data(), gb.size());
    uchardet_data_end(u);
    std::string cs = uchardet_get_charset(u);
    uchardet_delete(u);
    check(cs == "GB18030", "uchardet",
          QString("%1 GB18030 bytes detected as %2").arg(gb.size()).arg(cs.c_str()));
}

void checkAudio(const QString& data, const QString& tmp) {
    SDL_SetMainReady();
    bool init = SDL_Init(SDL_INIT_AUDIO) == 0;
    const char* driver = init ? SDL_GetCurrentAudioDriver() : SDL_GetError();
    const int wanted = MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_FLAC;
    bool codecs = (Mix_Init(wanted) & wanted) == wanted;
    bool open = init && Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0;
    QStringList names;
    for (int i = 0; i < Mix_GetNumMusicDecoders(); ++i) names << Mix_GetMusicDecoder(i);
    Mix_Music* m =
        open ? Mix_LoadMUS(QDir::toNativeSeparators(data + "/default.mp3").toUtf8().constData())
             : nullptr;
    bool mp3 = m && Mix_GetMusicType(m) == MUS_MP3;
    bool played = m && Mix_PlayMusic(m, 0) == 0;
    SDL_Delay(300);
    bool playing = played && Mix_PlayingMusic();
    Mix_HaltMusic();
    const SDL_version* v = Mix_Linked_Version();
    check(codecs && open && mp3 && playing, "sdl2-mixer",
          QString("SDL_mixer %1.%2.%3 on audio driver %4, decoders %5; default.mp3 %6")
              .arg(v->major)
              .arg(v->minor)
              .arg(v->patch)
              .arg(driver, names.join(' '),
                   playing ? "played" : (m ? "loaded but not played" : Mix_GetError())));
    if (m) Mix_FreeMusic(m);
    if (open) Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();

    // id3lib, as the program uses it: strip the pictures of a copy of the music.
    const QString copy = tmp + "/tagged.mp3";
    QFile::copy(data + "/default.mp3", copy);
    const QByteArray name = QDir::toNativeSeparators(copy).toLocal8Bit();
    size_t frames = 0;
    bool noPicture = false;
    {
        ID3_Tag tag(name.constData());
        frames = tag.NumFrames();
        ID3_RemovePictures(&tag);
        tag.Update(ID3TT_ALL);
    }
    {
        ID3_Tag again(name.constData());
        noPicture = again.Find(ID3FID_PICTURE) == nullptr;
    }
    check(QFileInfo(copy).size() > 0 && noPicture, "id3lib",
          QString("tag of a copy of default.mp3: %1 frames, pictures removed").arg(frames));
}

}  // namespace

TEST(Smoke, GoogleTestAndMock) {
    std::vector<int> v{1, 2, 3};
    EXPECT_EQ(v.size(), 3u);
    EXPECT_THAT(v, ::testing::ElementsAre(1, 2, 3));
}

int main(int argc, char** argv) {
    // The offscreen platform reads fonts from Qt's own folder unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR"))
        qputenv("QT_QPA_FONTDIR", qgetenv("WINDIR") + "\\Fonts");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const QString base = QCoreApplication::applicationDirPath();
    const QString data = argc > 1 ? QString::fromLocal8Bit(argv[1]) : base + "/data";
    QTemporaryDir tmp;

    // Under Wine a Unix QT_* variable reaches the program only when set as WINEQT_*.
    const QString wanted = qEnvironmentVariable("QT_QPA_PLATFORM");
    check(wanted.isEmpty() || QGuiApplication::platformName() == wanted, "qt-platform",
          QString("Qt %1 on platform %2").arg(qVersion(), QGuiApplication::platformName()));
    checkIconv();
    checkImages(data);
    checkFontsAndWidgets(base + "/translations");
    checkHttp();
    checkXml();
    checkWorkbooks(data, tmp.path());
    checkSodium();
    checkQr();
    checkCharset();
    checkAudio(data, tmp.path());

    ::testing::GTEST_FLAG(brief) = true;
    int gtest = RUN_ALL_TESTS();
    check(gtest == 0, "gtest", QString("googletest + gmock: RUN_ALL_TESTS() = %1").arg(gtest));

    std::printf("%s: %d failed\n", failures ? "SMOKE FAILED" : "smoke passed", failures);
    return failures ? 1 : 0;
}
