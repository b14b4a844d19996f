#include <gtest/gtest.h>

#include "ui/qt/display_check.h"

namespace {

TEST(DisplayCheck, EmptyVariablesCountAsUnset) {
    EXPECT_FALSE(ui::HasDisplay(nullptr, nullptr, nullptr));
    EXPECT_FALSE(ui::HasDisplay("", "", ""));
}

TEST(DisplayCheck, AnyOfTheThreeIsEnough) {
    EXPECT_TRUE(ui::HasDisplay(nullptr, ":0", nullptr));
    EXPECT_TRUE(ui::HasDisplay(nullptr, "", "wayland-0"));
    EXPECT_TRUE(ui::HasDisplay("offscreen", nullptr, nullptr));
}

TEST(DisplayCheck, MessageIsOneLineNamingTheWayToRunWithoutADesktop) {
    const std::string message = ui::NoDisplayMessage("/opt/kestrun/bin/kestrun-updater");
    EXPECT_EQ(message.find('\n'), std::string::npos);
    EXPECT_NE(message.find("xvfb-run -a /opt/kestrun/bin/kestrun-updater"), std::string::npos);
}

}  // namespace
