#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QtGlobal>

int main(int argc, char** argv) {
    // Widget tests need no display: every test program runs on the offscreen platform (with a
    // screen configuration of its own when one is given), but for the tests of what only a
    // real X display does, which ask for one.
    const bool x11 = qEnvironmentVariableIntValue("VANTORIA_TEST_X11") &&
                     qEnvironmentVariable("QT_QPA_PLATFORM") == QStringLiteral("xcb");
    if (!x11 && !qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QStringLiteral("offscreen")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    // The per-user data folder (rescue copies) of a test run is a folder of its own, never the
    // home of whoever runs the tests.
    QTemporaryDir userData;
    qputenv("XDG_DATA_HOME", userData.path().toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantoria"));
    return RUN_ALL_TESTS();
}
