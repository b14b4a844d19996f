#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <utility>
#include <vector>

#include "serial_port_fixture.h"

namespace platformtest {
namespace {

using platform::InvalidHandle;
using platform::PortHandle;

class PosixSerialOpen : public SerialPortTest {
  protected:
    int OpenSlave() const {
        return ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    // The tty's exclusive-use flag, read through `fd` or a descriptor of our own.
    static int ExclusiveFlag(int fd) {
        int exclusive = -1;
        ::ioctl(fd, TIOCGEXCL, &exclusive);
        return exclusive;
    }
    int ExclusiveFlag() const {
        const int fd = OpenSlave();
        const int exclusive = ExclusiveFlag(fd);
        ::close(fd);
        return exclusive;
    }
};

TEST_F(PosixSerialOpen, OpensThePortBehindItsNameAndClosesItOnce) {
    // Opened before the port: while the port is held, only root may open
    // the tty again.
    const int watcher = OpenSlave();
    const int before = OpenDescriptorCount();
    const PortHandle port = serial.CreateFileA(PortPath);
    ASSERT_NE(port, InvalidHandle);
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
    EXPECT_EQ(ExclusiveFlag(watcher), 1);
    const int second = OpenSlave();
    EXPECT_TRUE(second < 0 ? errno == EBUSY : ::geteuid() == 0);
    if (second >= 0)
        ::close(second);
    EXPECT_TRUE(serial.CloseHandle(port));
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_FALSE(serial.CloseHandle(port));
    // The flag belongs to the tty, which a pty keeps while its master is
    // open: left set, it would lock out the reopen at the second rate.
    EXPECT_EQ(ExclusiveFlag(watcher), 0);
    ::close(watcher);
}

TEST_F(PosixSerialOpen, NamesWithoutAnOpenableTtyLeaveNothingOpen) {
    const std::string plainFile = tree.Root() + "/plain-file";
    std::ofstream(plainFile) << "not a tty";
    tree.AddDevNode("ttyUSB1", plainFile);
    tree.AddDevNode("ttyUSB2", tree.Root() + "/gone");
    tree.AddDevNode("ttyUSB3", "/dev/null");

    const int before = OpenDescriptorCount();
    for (const char* path : {R"(\\.\COM34)", R"(\\.\COM35)", R"(\\.\COM36)", R"(\\.\COM37)",
                             R"(\\.\COM97)", R"(\\.\COM033)", "COM33"}) {
        EXPECT_EQ(serial.CreateFileA(path), InvalidHandle) << path;
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(PosixSerialOpen, APortInUseIsRefusedAndLeftAsItWas) {
    const PortHandle first = serial.CreateFileA(PortPath);
    ASSERT_NE(first, InvalidHandle);
    platform::posix::PosixSerial otherProgram(tree.DevRoot());
    const int before = OpenDescriptorCount();
    EXPECT_EQ(serial.CreateFileA(PortPath), InvalidHandle);
    EXPECT_EQ(otherProgram.CreateFileA(PortPath), InvalidHandle);
    EXPECT_EQ(OpenDescriptorCount(), before);
    ASSERT_TRUE(serial.CloseHandle(first));

    // Held by a program that locks without the exclusive flag: refused, and
    // that program's tty is not made exclusive by the failed attempt.
    const int holder = OpenSlave();
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(otherProgram.CreateFileA(PortPath), InvalidHandle);
    EXPECT_EQ(ExclusiveFlag(), 0);
    ::close(holder);
    EXPECT_NE(otherProgram.CreateFileA(PortPath), InvalidHandle) << "the claim ends with the close";
}

TEST_F(PosixSerialOpen, SaysWhyAPortThatIsThereDidNotOpen) {
    std::vector<std::pair<std::string, int>> reports;
    platform::posix::PosixSerial reporting(tree.DevRoot(), [&](const std::string& path, int error) {
        reports.push_back({path, error});
    });
    tree.AddDevNode("ttyUSB2", tree.Root() + "/gone");
    tree.AddDevNode("ttyUSB3", tree.Root());
    ASSERT_NE(serial.CreateFileA(PortPath), InvalidHandle);
    for (const char* path : {R"(\\.\COM35)", R"(\\.\COM36)", R"(\\.\COM37)", PortPath})
        EXPECT_EQ(reporting.CreateFileA(path), InvalidHandle) << path;
    EXPECT_EQ(reports,
              (std::vector<std::pair<std::string, int>>{{tree.DevRoot() + "/ttyUSB3", EISDIR},
                                                        {tree.DevRoot() + "/ttyUSB0", EBUSY}}));
}

TEST_F(PosixSerialOpen, PortsStillOpenAreClosedWithTheObject) {
    const int before = OpenDescriptorCount();
    {
        platform::posix::PosixSerial shortLived(tree.DevRoot());
        ASSERT_NE(shortLived.CreateFileA(PortPath), InvalidHandle);
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(ExclusiveFlag(), 0);
}

TEST_F(PosixSerialOpen, HandlesItDidNotOpenAreRefusedAndLeftAlone) {
    const int foreign = OpenSlave();
    termios before{};
    ::tcgetattr(foreign, &before);
    ::cfmakeraw(&before);
    ASSERT_EQ(::tcsetattr(foreign, TCSANOW, &before), 0);
    pty.Send({1, 2, 3});
    int waiting = 0;
    for (int i = 0; i < 5000 && waiting < 3; ++i) {
        ::usleep(1000);
        ::ioctl(foreign, FIONREAD, &waiting);
    }
    ASSERT_EQ(waiting, 3);

    std::uint8_t buffer[4] = {};
    std::uint32_t count = 99;
    platform::LineSettings line{115200, 8, 2, 0};
    platform::CommTimeouts timeouts{};
    for (const PortHandle handle :
         {PortHandle{foreign}, InvalidHandle, (PortHandle{1} << 32) + foreign}) {
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
    termios after{};
    ASSERT_EQ(::tcgetattr(foreign, &after), 0) << "the descriptor must stay open";
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    ::ioctl(foreign, FIONREAD, &waiting);
    EXPECT_EQ(waiting, 3) << "nothing read or purged";
    EXPECT_TRUE(pty.Receive(1, std::chrono::milliseconds(50)).empty()) << "nothing written";
    ::close(foreign);
}

}  // namespace
}  // namespace platformtest
