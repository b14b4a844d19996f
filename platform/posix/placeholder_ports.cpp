#include "platform/posix/placeholder_ports.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace platform::posix {

bool MayBePlaceholder(std::string_view node) {
    return node.starts_with("ttyS");
}

std::optional<int> SerialCoreUartType(int fd) {
    serial_struct info{};
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0)
        return std::nullopt;
    return info.type;
}

bool IsPlaceholder(std::string_view node, std::optional<int> uartType) {
    return MayBePlaceholder(node) && uartType == PORT_UNKNOWN;
}

}  // namespace platform::posix
