#include "platform/win32/window_device_notifications.h"

#include <windows.h>
// <dbt.h> needs <windows.h> before it.
#include <dbt.h>

#include <cstddef>
#include <cstdint>

#include "platform/device_notice_record.h"

namespace platform::win32 {

namespace {

// The form reads every notice through the seam's record; it must be the
// layout Windows delivers.
static_assert(DeviceChangeMessage == WM_DEVICECHANGE);
static_assert(DeviceArrival == DBT_DEVICEARRIVAL);
static_assert(DeviceRemoveComplete == DBT_DEVICEREMOVECOMPLETE);
static_assert(DeviceTypeInterface == DBT_DEVTYP_DEVICEINTERFACE);
static_assert(offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) == NoticeRecordHeaderSize);

// DEV_BROADCAST_DEVICEINTERFACE_A declared with its full 256-character name
// area, as the filter is handed over.
struct NoticeFilter {
    DWORD dbcc_size;
    DWORD dbcc_devicetype;
    DWORD dbcc_reserved;
    GUID dbcc_classguid;
    char dbcc_name[NoticeRecordNameAreaSize];
};
static_assert(sizeof(NoticeFilter) == NoticeRecordSize);
static_assert(offsetof(NoticeFilter, dbcc_classguid) ==
              offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_classguid));

}  // namespace

WindowDeviceNotifications::~WindowDeviceNotifications() {
    if (registration_ != nullptr)
        ::UnregisterDeviceNotification(registration_);
}

bool WindowDeviceNotifications::RegisterDeviceNotificationA() {
    if (window_ == nullptr)
        return false;
    NoticeFilter filter{};
    filter.dbcc_size = NoticeRecordSize;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    // With every class the class GUID is not looked at.
    const HDEVNOTIFY registration = ::RegisterDeviceNotificationA(
        window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES);
    if (registration == nullptr)
        return false;
    // One subscription at a time: a second would deliver every notice twice.
    if (registration_ != nullptr)
        ::UnregisterDeviceNotification(registration_);
    registration_ = registration;
    return true;
}

}  // namespace platform::win32
