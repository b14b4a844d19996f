/* What the test tool asks of the test bus driver; read by both, so plain C.
 * The codes are DeviceIoControl codes of the bus-extender device type
 * (0x2A), buffered, for any access. */
#ifndef KESTRUN_TEST_BUS_REQUESTS_H
#define KESTRUN_TEST_BUS_REQUESTS_H

#include <stdint.h>

/* The bus's control device as user mode opens it. */
#define TEST_BUS_CONTROL_PATH L"\\\\.\\KestrunTestBus"

#define TEST_BUS_REQUEST(function) ((0x2AUL << 16) | ((function) << 2))
/* Input: a struct test_bus_plug. Fails with STATUS_DEVICE_BUSY (Win32
 * ERROR_BUSY) while a device is plugged. */
#define TEST_BUS_PLUG TEST_BUS_REQUEST(0x800UL)
/* No input. Fails with STATUS_NO_SUCH_DEVICE when nothing is plugged. */
#define TEST_BUS_UNPLUG TEST_BUS_REQUEST(0x801UL)

struct test_bus_plug {
    uint16_t vendor;
    uint16_t product;
};

#endif
