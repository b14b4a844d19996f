#include "platform/posix/port_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace platform::posix {
namespace {

struct PathCase {
    const char* path;
    std::optional<std::string> node;
};

class DevicePathToNode : public testing::TestWithParam<PathCase> {};

TEST_P(DevicePathToNode, ResolvesThroughTheFixedTable) {
    EXPECT_EQ(NodeNameForDevicePath(GetParam().path), GetParam().node) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    TableBounds, DevicePathToNode,
    testing::Values(PathCase{R"(\\.\COM1)", "ttyS0"}, PathCase{R"(\\.\COM32)", "ttyS31"},
                    PathCase{R"(\\.\COM33)", "ttyUSB0"}, PathCase{R"(\\.\COM64)", "ttyUSB31"},
                    PathCase{R"(\\.\COM65)", "ttyACM0"}, PathCase{R"(\\.\COM96)", "ttyACM31"},
                    PathCase{R"(\\.\COM97)", std::nullopt}, PathCase{R"(\\.\COM250)", std::nullopt},
                    PathCase{R"(\\.\COM0)", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    MalformedPaths, DevicePathToNode,
    testing::Values(PathCase{R"(\\.\COM01)", std::nullopt}, PathCase{R"(\\.\COM007)", std::nullopt},
                    PathCase{R"(\\.\COM+1)", std::nullopt}, PathCase{R"(\\.\COM-1)", std::nullopt},
                    PathCase{R"(\\.\COM1 )", std::nullopt}, PathCase{R"(\\.\COM1x)", std::nullopt},
                    PathCase{R"(\\.\COM 1)", std::nullopt}, PathCase{R"(\\.\COM)", std::nullopt},
                    PathCase{R"(\\.\com1)", std::nullopt}, PathCase{R"(\\?\COM1)", std::nullopt},
                    PathCase{R"(COM1)", std::nullopt}, PathCase{R"(x\\.\COM1)", std::nullopt},
                    PathCase{R"(\\.\COM4294967329)", std::nullopt}, PathCase{"", std::nullopt}));

struct NodeCase {
    const char* node;
    std::optional<unsigned> port;
};

class NodeToPort : public testing::TestWithParam<NodeCase> {};

TEST_P(NodeToPort, OnlyNodesOfTheTableHavePortNumbers) {
    EXPECT_EQ(PortNumberForNode(GetParam().node), GetParam().port) << GetParam().node;
}

INSTANTIATE_TEST_SUITE_P(
    Nodes, NodeToPort,
    testing::Values(NodeCase{"ttyS0", 1}, NodeCase{"ttyS31", 32}, NodeCase{"ttyS32", std::nullopt},
                    NodeCase{"ttyUSB0", 33}, NodeCase{"ttyUSB31", 64},
                    NodeCase{"ttyUSB32", std::nullopt}, NodeCase{"ttyACM0", 65},
                    NodeCase{"ttyACM31", 96}, NodeCase{"ttyACM32", std::nullopt},
                    NodeCase{"ttyS01", std::nullopt}, NodeCase{"ttyS", std::nullopt},
                    NodeCase{"ttyS-1", std::nullopt}, NodeCase{"ttySAC0", std::nullopt},
                    NodeCase{"ttyAMA0", std::nullopt}, NodeCase{"tty0", std::nullopt},
                    NodeCase{"ttyusb0", std::nullopt}, NodeCase{"ptmx", std::nullopt}));

TEST(PortTable, EveryMappedPortComesBackFromItsNode) {
    for (unsigned port = 1; port <= 96; ++port) {
        const auto node = NodeNameForPort(port);
        ASSERT_TRUE(node) << port;
        EXPECT_EQ(PortNumberForNode(*node), port) << *node;
        EXPECT_EQ(NodeNameForDevicePath(R"(\\.\)" + PortName(port)), node);
    }
}

TEST(PortTable, PortsAboveTheTableAreNeverPresent) {
    for (unsigned port = 97; port <= 250; ++port) {
        EXPECT_FALSE(NodeNameForPort(port)) << port;
        EXPECT_EQ(PortNumberFromDevicePath(R"(\\.\)" + PortName(port)), port);
    }
}

}  // namespace
}  // namespace platform::posix
