#include "ui/qt/device_notice_watcher.h"

#include <QSocketNotifier>

#include "app/Update_Main.h"

namespace ui {

DeviceNoticeWatcher::DeviceNoticeWatcher(platform::PolledDeviceNotifications& source,
                                         app::TForm1& form, QObject* parent)
    : QObject(parent), source_(source), form_(form) {
    const int fd = source_.Descriptor();
    if (fd < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        source_.Dispatch([this](std::uint32_t eventCode, const void* record) {
            form_.WMDeviceChange(eventCode, record);
        });
    });
}

DeviceNoticeWatcher::~DeviceNoticeWatcher() = default;

}  // namespace ui
