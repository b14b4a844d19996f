// The control block a port is set to, from one found with every flag set and
// from one with none.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "platform/win32/line_control_block.h"

namespace {

TEST(LineControlBlock, TakesTheLineSettingsAndRawBytesAndKeepsTheRestAsFound) {
    for (const int fill : {0xFF, 0x00}) {
        DCB found;
        std::memset(&found, fill, sizeof(found));
        const DCB set =
            platform::win32::LineControlBlock(found, {115200, 8, EVENPARITY, ONESTOPBIT});

        DCB expected = found;
        expected.DCBlength = sizeof(DCB);
        expected.BaudRate = 115200;
        expected.ByteSize = 8;
        expected.Parity = EVENPARITY;
        expected.StopBits = ONESTOPBIT;
        expected.fBinary = 1;
        expected.fNull = expected.fErrorChar = expected.fAbortOnError = 0;
        expected.fDsrSensitivity = expected.fOutX = expected.fInX = 0;
        expected.fOutxCtsFlow = expected.fOutxDsrFlow = 0;
        EXPECT_EQ(std::memcmp(&set, &expected, sizeof(DCB)), 0) << "fill " << fill;
        // What the port drives among what stays.
        EXPECT_EQ(set.fRtsControl, found.fRtsControl);
        EXPECT_EQ(set.fDtrControl, found.fDtrControl);
    }
}

}  // namespace
