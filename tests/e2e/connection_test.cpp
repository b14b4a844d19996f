// "Соединение": finding the programmer's port, the rate schedule, the
// identification and what the page shows.
#include "programmer_fixture.h"

namespace e2e {
namespace {

using Connection = ProgrammerTest;

TEST_F(Connection, FindsTheProgrammerByNameAndShowsTheTick) {
    auto& device = PlugIn();
    OpenWindow();
    GoToConnectionPage();
    Click("btnConnect");

    EXPECT_TRUE(State().Connected);
    EXPECT_TRUE(State().PortOpen);
    EXPECT_EQ(State().BootloaderVersion, 0x11);
    EXPECT_EQ(State().CommandCount, 11);
    EXPECT_TRUE(State().PortList.empty());  // found by name: nothing probed
    ExpectConnectionShown(true);

    // One sync, then Get, at the first rate.
    const auto sent = device.Records().ReceivedValues();
    EXPECT_EQ(sent, (std::vector<std::uint8_t>{0x7F, 0x00, 0xFF}));
    for (auto rate : device.Records().ObservedRates())
        EXPECT_EQ(rate, 115200u);
}

TEST_F(Connection, ADeviceHeardOnlyAt9600IsReopenedAtThatRate) {
    bootsim::Options slow;
    slow.answerOnlyAt = 9600;
    auto& device = PlugIn(slow);
    OpenWindow();
    GoToConnectionPage();
    Click("btnConnect");

    EXPECT_TRUE(State().Connected);
    EXPECT_EQ(State().PortDcb.BaudRate, 9600u);
    // Two unanswered syncs at 115200, then the first one at 9600 answers.
    const auto rates = device.Records().ObservedRates();
    ASSERT_GE(rates.size(), 3u);
    EXPECT_EQ(rates[0], 115200u);
    EXPECT_EQ(rates[1], 115200u);
    EXPECT_EQ(rates[2], 9600u);
    const auto sent = device.Records().ReceivedValues();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 0x7F), 3);
    EXPECT_TRUE(Shown("lbConnected"));
}

TEST_F(Connection, ADeviceAnsweringTheSecondSyncNeverHears9600) {
    bootsim::Options late;
    late.ignoreSyncs = 1;
    auto& device = PlugIn(late);
    OpenWindow();
    GoToConnectionPage();
    Click("btnConnect");

    EXPECT_TRUE(State().Connected);
    EXPECT_EQ(State().PortDcb.BaudRate, 115200u);
    for (auto rate : device.Records().ObservedRates())
        EXPECT_EQ(rate, 115200u);
}

TEST_F(Connection, WithoutANameMatchThePresentPortsAreTriedHighestFirst) {
    // Ports that no CP210x driver names: found only by probing.
    bootsim::Options deaf;
    deaf.ignoreSyncs = 1000;
    auto& com7 = PlugIn(deaf, "ttyS6", "serial8250");
    auto& com3 = PlugIn({}, "ttyS2", "serial8250");
    OpenWindow();
    GoToConnectionPage();
    Click("btnConnect");

    EXPECT_TRUE(State().Connected);
    EXPECT_EQ(State().PortList, (std::vector<std::string>{"COM3", "COM7"}));
    // COM7 got the whole schedule (two syncs at 115200, three at 9600) before
    // COM3 heard anything.
    const auto silent = com7.Records().Received();
    ASSERT_EQ(silent.size(), 5u);
    const auto rates = com7.Records().ObservedRates();
    EXPECT_EQ(std::count(rates.begin(), rates.end(), 9600u), 3);
    const auto answered = com3.Records().Received();
    ASSERT_FALSE(answered.empty());
    EXPECT_LT(silent.back().at, answered.front().at);
}

TEST_F(Connection, AProgrammerFoundByNameThatDoesNotAnswerIsTheOnlyPortTried) {
    bootsim::Options deaf;
    deaf.ignoreSyncs = 1000;
    auto& programmer = PlugIn(deaf);
    auto& other = PlugIn({}, "ttyS2", "serial8250");
    OpenWindow();
    GoToConnectionPage();
    Click("btnConnect");

    EXPECT_FALSE(State().Connected);
    EXPECT_FALSE(State().PortOpen);
    EXPECT_EQ(programmer.Records().Received().size(), 5u);
    EXPECT_TRUE(other.Records().Received().empty());
    ExpectConnectionShown(false);
}

TEST_F(Connection, NoPortAtAllShowsTheCross) {
    OpenWindow();
    GoToConnectionPage();
    Click("btnConnect");
    EXPECT_FALSE(State().Connected);
    EXPECT_TRUE(Shown("lbNotConnected"));
    EXPECT_TRUE(Shown("txtConnFail"));
}

TEST_F(Connection, AFailedIdentificationKeepsThePortUntilTheNextPress) {
    bootsim::Options old;
    old.version = 0x10;
    auto& device = PlugIn(old);
    OpenWindow();
    GoToConnectionPage();
    Click("btnConnect");

    EXPECT_FALSE(State().Connected);
    EXPECT_TRUE(State().PortOpen);
    EXPECT_EQ(State().BootloaderVersion, 0x10);
    EXPECT_TRUE(Shown("lbNotConnected"));
    EXPECT_TRUE(Shown("txtConnFail"));
    EXPECT_EQ(PortsOpenOn(device), 1);

    // The next press closes the port left open before it opens it again, or
    // a descriptor would leak; the still synchronised device is found again
    // and again refused for its version.
    Click("btnConnect");
    EXPECT_FALSE(State().Connected);
    EXPECT_TRUE(State().PortOpen);
    EXPECT_EQ(PortsOpenOn(device), 1);
    EXPECT_EQ(State().BootloaderVersion, 0x10);
    EXPECT_TRUE(Shown("lbNotConnected"));

    window->close();
    EXPECT_EQ(PortsOpenOn(device), 0);
}

}  // namespace
}  // namespace e2e
