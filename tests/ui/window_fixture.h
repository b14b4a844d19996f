// The real main window on platform objects that find no programmer.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <memory>
#include <ostream>

#include "stand_ins/counting_serial_api.h"
#include "stand_ins/fixed_ports_registry.h"
#include "ui/qt/main_window.h"

// Readable failure messages for the Qt values the window tests compare.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.x() << ',' << rect.y() << ' ' << rect.width() << 'x' << rect.height();
}
inline void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << 'x' << size.height();
}
inline void PrintTo(const QColor& color, std::ostream* out) {
    *out << color.name().toStdString();
}

namespace ui_test {

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { window = std::make_unique<ui::MainWindow>(serial, registry, nullptr); }

    template <typename Kind = QWidget>
    Kind* Find(const char* name) {
        return window->findChild<Kind*>(QString::fromLatin1(name));
    }

    stand_ins::CountingSerialApi serial;
    stand_ins::FixedPortsRegistry registry;
    std::unique_ptr<ui::MainWindow> window;
};

}  // namespace ui_test
