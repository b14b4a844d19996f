#include "udev_export_db.h"

#include <fstream>
#include <sstream>

namespace udevtest {

std::vector<UdevDbDevice> ParseExportDb(std::string_view text) {
    std::vector<UdevDbDevice> devices;
    bool inBlock = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        if (line.empty()) {
            inBlock = false;
            continue;
        }
        if (line.size() < 3 || line[1] != ':' || line[2] != ' ')
            continue;
        const char kind = line[0];
        const std::string_view value = line.substr(3);
        if (kind == 'P' || !inBlock) {
            devices.emplace_back();
            inBlock = true;
        }
        UdevDbDevice& device = devices.back();
        if (kind == 'P') {
            device.DevPath = value;
        } else if (kind == 'N') {
            device.Node = value;
        } else if (kind == 'E') {
            const std::size_t equals = value.find('=');
            if (equals != std::string_view::npos)
                device.Properties[std::string(value.substr(0, equals))] = value.substr(equals + 1);
        }
    }
    return devices;
}

std::optional<UdevDbDevice> FixtureDevice(const std::string& fileName, std::string_view node) {
    std::ifstream file(std::string(KESTRUN_UDEV_FIXTURES) + "/" + fileName);
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    for (UdevDbDevice& device : ParseExportDb(text.str())) {
        if (device.Node == node)
            return device;
    }
    return std::nullopt;
}

}  // namespace udevtest
