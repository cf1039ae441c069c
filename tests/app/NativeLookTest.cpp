#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <QTranslator>

#include "app/NativeLook.h"

// Stock buttons in Chinese, and the design's face resolving to a CJK face with a real bold.
TEST(NativeLook, ChineseStockTextsAndACjkFaceWithARealBold) {
    const QStringList missing = NativeLook::Apply(*qApp);
    const bool haveStandIn = !QFontDatabase::families().contains(QStringLiteral("微软雅黑")) &&
                             QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK SC"));
    if (missing.isEmpty()) {
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("是(&Y)"));
    }
    if (haveStandIn) {
        QFont regular(QStringLiteral("微软雅黑"), 20);
        EXPECT_EQ(QFontInfo(regular).family(), QStringLiteral("Noto Sans CJK SC"));
        QFont bold = regular;
        bold.setBold(true);
        // A real bold face, not a regular one made fat by the renderer.
        const QRawFont raw = QRawFont::fromFont(bold);
        EXPECT_EQ(raw.familyName().toLower(), QStringLiteral("noto sans cjk sc"));
        EXPECT_GE(raw.weight(), int(QFont::Bold));
        EXPECT_TRUE(raw.styleName().contains(QStringLiteral("Bold")))
            << raw.styleName().toStdString();
    } else {
        GTEST_SKIP() << "no stand-in face installed";
    }
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}
