#include "tests/win32/e2e/emulated_programmer.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "tests/win32/e2e/driver_checks.h"

namespace e2e {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        throw std::runtime_error(std::string("no ") + name + ": run with the emulated programmer");
    return value;
}

}  // namespace

EmulatedProgrammer::EmulatedProgrammer()
    : events_(Variable("KESTRUN_PORT_1_EVENTS")), control_(Variable("KESTRUN_PORT_1_CONTROL")) {}

unsigned EmulatedProgrammer::Count(std::string_view event) const {
    std::ifstream file(events_);
    std::string line;
    std::getline(file, line);  // the terminal's path
    unsigned count = 0;
    while (std::getline(file, line))
        count += line == event ? 1u : 0u;
    return count;
}

void EmulatedProgrammer::Request(const char* request, std::string_view done) const {
    const unsigned before = Count(done);
    // A pipe the programmer reads as its standard input.
    const HANDLE pipe = CreateFileA(control_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open the emulated programmer's input " + control_);
    DWORD written = 0;
    const auto length = static_cast<DWORD>(std::strlen(request));
    const bool sent = WriteFile(pipe, request, length, &written, nullptr) && written == length;
    CloseHandle(pipe);
    if (!sent)
        throw std::runtime_error(std::string("cannot ask the emulated programmer to ") + request);
    Await([&] { return Count(done) > before; }, kStepLimit, std::string(done));
}

void EmulatedProgrammer::Unplug() const {
    Request("unplug\n", "unplugged");
}

void EmulatedProgrammer::UnplugBetweenCommands() const {
    Request("unplug-between-commands\n", "unplugged");
}

void EmulatedProgrammer::PlugIn() const {
    Request("plug\n", "plugged");
}

}  // namespace e2e
