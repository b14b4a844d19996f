// The COM ports at which the test runner has put an emulated programmer, in
// the order of its --serve options.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace wintest {

// "" when the runner served fewer ports.
inline std::string ServedPort(std::size_t index) {
    const char* list = std::getenv("KESTRUN_SERVED_PORTS");
    std::vector<std::string> ports;
    std::istringstream in(list ? list : "");
    for (std::string port; std::getline(in, port, ',');)
        ports.push_back(port);
    return index < ports.size() ? ports[index] : std::string();
}

}  // namespace wintest
