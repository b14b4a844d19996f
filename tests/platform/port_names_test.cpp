#include "platform/posix/port_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace platform::posix {
namespace {

TEST(PortNames, DevicePathsResolveThroughTheFixedTable) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {R"(\\.\COM1)", "ttyS0"},     {R"(\\.\COM32)", "ttyS31"},
        {R"(\\.\COM33)", "ttyUSB0"},  {R"(\\.\COM64)", "ttyUSB31"},
        {R"(\\.\COM65)", "ttyACM0"},  {R"(\\.\COM96)", "ttyACM31"},
        {R"(\\.\COM97)", {}},         {R"(\\.\COM250)", {}},
        {R"(\\.\COM0)", {}},          {R"(\\.\COM01)", {}},
        {R"(\\.\COM+1)", {}},         {R"(\\.\COM-1)", {}},
        {R"(\\.\COM1 )", {}},         {R"(\\.\COM1x)", {}},
        {R"(\\.\COM)", {}},           {R"(\\.\com1)", {}},
        {R"(\\?\COM1)", {}},          {"COM1", {}},
        {R"(\\.\COM4294967329)", {}}, {"", {}},
    };
    for (const auto& [path, node] : cases)
        EXPECT_EQ(NodeNameForDevicePath(path), node) << path;
}

TEST(PortNames, OnlyNodesOfTheTableHavePortNumbers) {
    const std::pair<const char*, std::optional<unsigned>> cases[] = {
        {"ttyS0", 1},     {"ttyS31", 32},  {"ttyUSB0", 33},  {"ttyUSB31", 64}, {"ttyACM0", 65},
        {"ttyACM31", 96}, {"ttyS32", {}},  {"ttyUSB32", {}}, {"ttyS01", {}},   {"ttyS", {}},
        {"ttySAC0", {}},  {"ttyAMA0", {}}, {"tty0", {}},     {"ptmx", {}},
    };
    for (const auto& [node, port] : cases)
        EXPECT_EQ(PortNumberForNode(node), port) << node;
}

TEST(PortNames, EveryMappedPortComesBackFromItsNode) {
    for (unsigned port = 1; port <= 96; ++port) {
        const auto node = NodeNameForPort(port);
        ASSERT_TRUE(node) << port;
        EXPECT_EQ(PortNumberForNode(*node), port) << *node;
    }
}

}  // namespace
}  // namespace platform::posix
