// The window tests need a QApplication but never a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>

#include "desktop_qt_settings.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A death test must not fork a process that already runs Qt's threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    IgnoreDesktopQtSettings();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
