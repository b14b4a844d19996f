// Notices from a polled source reach the window's device-change handler from
// the event loop, and only when the source has something to say.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>

#include "fakes/interface_record.h"
#include "link/device_events.h"
#include "window_fixture.h"

namespace ui_test {
namespace {

// A notice source whose descriptor is the read end of a pipe; a byte written
// to the pipe stands for a notice waiting on the udev socket.
class PipeNotices : public platform::PolledDeviceNotifications {
  public:
    PipeNotices() {
        if (::pipe2(fds_, O_NONBLOCK) != 0)
            ADD_FAILURE() << "pipe";
    }
    ~PipeNotices() override {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    bool RegisterDeviceNotificationA() override {
        ++registrations;
        registered_ = registrationWorks;
        return registered_;
    }
    int Descriptor() const override { return registered_ ? fds_[0] : -1; }
    void Dispatch(const Deliver& deliver) override {
        ++dispatches;
        char byte = 0;
        while (::read(fds_[0], &byte, 1) == 1) {
            const auto record = fakes::MakeInterfaceRecord(
                byte == 'r' || byte == 'a' ? fakes::ProgrammerPath : fakes::OtherDevicePath);
            deliver(byte == 'r' ? platform::DeviceRemoveComplete : platform::DeviceArrival,
                    record.data());
        }
    }
    void Post(char kind) { ASSERT_EQ(::write(fds_[1], &kind, 1), 1); }

    bool registrationWorks = true;
    int registrations = 0;
    int dispatches = 0;

  private:
    int fds_[2] = {-1, -1};
    bool registered_ = false;
};

class NoticeWatching : public WindowTest {
  protected:
    void SetUp() override {}
    void Open() { window = std::make_unique<ui::MainWindow>(serial, registry, &notices); }
    void Pump() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    std::uint8_t Pending() { return window->Logic().State().DeviceEvent; }

    PipeNotices notices;
};

TEST_F(NoticeWatching, NoticesArriveThroughTheEventLoop) {
    Open();
    EXPECT_EQ(notices.registrations, 1);
    ASSERT_TRUE(window->WatchesDeviceNotices());
    Pump();
    EXPECT_EQ(notices.dispatches, 0);  // nothing waiting, nothing read

    notices.Post('a');
    EXPECT_EQ(Pending(), devlink::DeviceEventNone);  // only the loop delivers
    Pump();
    EXPECT_EQ(Pending(), devlink::DeviceEventArrived);

    notices.Post('r');
    Pump();
    EXPECT_EQ(Pending(), devlink::DeviceEventRemoved);

    notices.Post('o');  // another device leaves the pending removal alone
    Pump();
    EXPECT_EQ(Pending(), devlink::DeviceEventRemoved);
}

TEST_F(NoticeWatching, ASourceThatCannotRegisterIsNotWatched) {
    notices.registrationWorks = false;
    Open();
    EXPECT_EQ(notices.registrations, 1);
    EXPECT_FALSE(window->WatchesDeviceNotices());
    notices.Post('a');
    Pump();
    EXPECT_EQ(notices.dispatches, 0);
    EXPECT_EQ(Pending(), devlink::DeviceEventNone);
}

}  // namespace
}  // namespace ui_test
