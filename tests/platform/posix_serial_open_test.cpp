#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial_port_fixture.h"

namespace platformtest {
namespace {

using platform::InvalidHandle;
using platform::PortHandle;

// Reads the tty's exclusive-use flag through a descriptor of our own.
int ExclusiveFlag(const std::string& slavePath) {
    const int fd = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int exclusive = -1;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) != 0)
        exclusive = -1;
    ::close(fd);
    return exclusive;
}

bool WaitForQueue(int fd, int count) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int waiting = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (::ioctl(fd, FIONREAD, &waiting) == 0 && waiting >= count)
            return true;
        ::usleep(1000);
    }
    return false;
}

class PosixSerialOpen : public SerialPortTest {};

TEST_F(PosixSerialOpen, OpensThePortBehindItsNameAndClosesIt) {
    const int before = OpenDescriptorCount();
    const PortHandle port = serial.CreateFile(PortPath);
    ASSERT_NE(port, InvalidHandle);
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
    EXPECT_TRUE(serial.CloseHandle(port));
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_FALSE(serial.CloseHandle(port)) << "a handle is closed once";
}

TEST_F(PosixSerialOpen, NamesWithoutAnOpenableNodeLeaveNothingOpen) {
    const std::string notATty = tree.Root() + "/plain-file";
    std::ofstream(notATty) << "not a tty";
    tree.AddDevNode("ttyUSB1", notATty);                // COM34: not a terminal
    tree.AddDevNode("ttyUSB2", tree.Root() + "/gone");  // COM35: dangling link
    tree.AddDevNode("ttyUSB3", "/dev/null");            // COM36: a device, but no tty

    const int before = OpenDescriptorCount();
    for (const char* path : {R"(\\.\COM34)", R"(\\.\COM35)", R"(\\.\COM36)", R"(\\.\COM37)",
                             R"(\\.\COM97)", R"(\\.\COM033)", "COM33", ""}) {
        EXPECT_EQ(serial.CreateFile(path), InvalidHandle) << path;
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(PosixSerialOpen, APortInUseCannotBeOpenedAgain) {
    const PortHandle first = serial.CreateFile(PortPath);
    ASSERT_NE(first, InvalidHandle);
    const int before = OpenDescriptorCount();

    platform::posix::PosixSerial otherProgram(tree.DevRoot());
    EXPECT_EQ(serial.CreateFile(PortPath), InvalidHandle);
    EXPECT_EQ(otherProgram.CreateFile(PortPath), InvalidHandle);
    EXPECT_EQ(OpenDescriptorCount(), before);

    ASSERT_TRUE(serial.CloseHandle(first));
    const PortHandle again = otherProgram.CreateFile(PortPath);
    EXPECT_NE(again, InvalidHandle) << "the claim ends with the close";
}

TEST_F(PosixSerialOpen, APortHeldElsewhereIsRefusedAndLeftAsItWas) {
    const int holder = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    const int before = OpenDescriptorCount();
    EXPECT_EQ(serial.CreateFile(PortPath), InvalidHandle);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(ExclusiveFlag(pty.SlavePath()), 0) << "the holder's tty must not be made exclusive";
    ::close(holder);
}

TEST_F(PosixSerialOpen, ExclusiveUseLastsExactlyAsLongAsThePortIsOpen) {
    const PortHandle port = serial.CreateFile(PortPath);
    ASSERT_NE(port, InvalidHandle);
    EXPECT_EQ(ExclusiveFlag(pty.SlavePath()), 1);
    ASSERT_TRUE(serial.CloseHandle(port));
    // The pty's tty lives on with its master; a flag left behind would lock
    // every later open out, the reopen at the second rate included.
    EXPECT_EQ(ExclusiveFlag(pty.SlavePath()), 0);
}

TEST_F(PosixSerialOpen, HandlesItDidNotOpenAreRefusedAndLeftAlone) {
    const int foreign = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(foreign, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(foreign, &before), 0);
    ::cfmakeraw(&before);
    ASSERT_EQ(::tcsetattr(foreign, TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(foreign, &before), 0);
    pty.Send({1, 2, 3});
    ASSERT_TRUE(WaitForQueue(foreign, 3)) << "the bytes must be waiting before the calls";

    std::uint8_t buffer[4] = {};
    std::uint32_t count = 99;
    platform::LineSettings line{115200, 8, 2, 0};
    platform::CommTimeouts timeouts{};
    for (const PortHandle handle :
         {PortHandle{foreign}, InvalidHandle, PortHandle{-7}, (PortHandle{1} << 32) + foreign}) {
        EXPECT_FALSE(serial.SetupComm(handle, 65536, 8192));
        EXPECT_FALSE(serial.GetCommState(handle, line));
        EXPECT_FALSE(serial.SetCommState(handle, line));
        EXPECT_FALSE(serial.GetCommTimeouts(handle, timeouts));
        EXPECT_FALSE(serial.SetCommTimeouts(handle, timeouts));
        EXPECT_FALSE(serial.SetCommMask(handle, 5));
        EXPECT_FALSE(serial.ClearCommError(handle, count));
        EXPECT_EQ(count, 0u);
        EXPECT_FALSE(serial.ReadFile(handle, buffer, 3, count));
        EXPECT_FALSE(serial.WriteFile(handle, buffer, 3, count));
        EXPECT_FALSE(serial.PurgeInput(handle));
        EXPECT_FALSE(serial.CloseHandle(handle));
    }

    EXPECT_NE(::fcntl(foreign, F_GETFD), -1) << "the foreign descriptor must stay open";
    termios after{};
    ASSERT_EQ(::tcgetattr(foreign, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(pty.Receive(1, std::chrono::milliseconds(50)).size(), 0u) << "nothing was written";
    int stillWaiting = 0;
    ASSERT_EQ(::ioctl(foreign, FIONREAD, &stillWaiting), 0);
    EXPECT_EQ(stillWaiting, 3) << "nothing was read or purged";
    ::close(foreign);
}

TEST_F(PosixSerialOpen, PortsStillOpenAreClosedWithTheObject) {
    const int before = OpenDescriptorCount();
    {
        platform::posix::PosixSerial shortLived(tree.DevRoot());
        ASSERT_NE(shortLived.CreateFile(PortPath), InvalidHandle);
        EXPECT_EQ(OpenDescriptorCount(), before + 1);
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(ExclusiveFlag(pty.SlavePath()), 0);
}

TEST_F(PosixSerialOpen, NewPortHasNoTimeoutsAndAcceptsQueueSizesAndMask) {
    const PortHandle port = serial.CreateFile(PortPath);
    ASSERT_NE(port, InvalidHandle);
    platform::CommTimeouts timeouts{1, 2, 3, 4, 5};
    ASSERT_TRUE(serial.GetCommTimeouts(port, timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 0u);
    EXPECT_TRUE(serial.SetupComm(port, 65536, 8192));
    EXPECT_TRUE(serial.SetCommMask(port, 5));

    ASSERT_TRUE(serial.SetCommTimeouts(port, LinkTimeouts));
    ASSERT_TRUE(serial.GetCommTimeouts(port, timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 150u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 200u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 100u);
}

}  // namespace
}  // namespace platformtest
