// The device-interface notice in the form the form's handler reads.
//
// Windows hands a Unicode window, as the main window is, every device-interface
// record with a UTF-16 name (DEV_BROADCAST_DEVICEINTERFACE_W), whichever of
// RegisterDeviceNotificationA/W subscribed it; only an ANSI window gets
// single-byte text. Read as single bytes, the path of a USB interface would
// end after its first character and the programmer would never be seen.
#pragma once

#include <array>

#include "platform/device_notice_record.h"

namespace platform::win32 {

using NarrowNoticeRecord = std::array<unsigned char, NoticeRecordSize>;

// For a device-interface record as a Unicode window receives it: fills
// `narrow` with its header, the name in the ANSI code page (at most 255
// characters and a NUL, read no further than the record's own size) and a
// size field to match, and returns `narrow`. Any other record, or none, is
// returned as it came: the handler reads only the header of those.
const void* NarrowInterfaceNotice(const void* record, NarrowNoticeRecord& narrow);

}  // namespace platform::win32
