// The window tests need a QApplication but never a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>

#include "desktop_qt_settings.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    IgnoreDesktopQtSettings();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
