// kestrun-test-pnp.exe: the test bus from the command line.
//
//   kestrun-test-pnp.exe install [VID:PID]...
//   kestrun-test-pnp.exe plug VID:PID [COMn]
//   kestrun-test-pnp.exe unplug VID:PID
//
// install puts the bus driver (kestrun_test_bus.sys, beside this program)
// into the prefix, then plugs in and pulls out each device named once, so
// that the system already holds its port identity when a test plugs it.
// IDs are hexadecimal; the port is COM40 unless named. Exits 0 on success.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "tests/win32/pnp/test_bus.h"

namespace {

constexpr wchar_t DefaultPort[] = L"COM40";

bool ParseId(const wchar_t* text, testbus::UsbId& id) {
    unsigned vendor = 0;
    unsigned product = 0;
    wchar_t extra = 0;
    if (std::swscanf(text, L"%4x:%4x%lc", &vendor, &product, &extra) != 2)
        return false;
    id = {static_cast<std::uint16_t>(vendor), static_cast<std::uint16_t>(product)};
    return true;
}

std::wstring DriverBesideThisProgram() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L"\\/") + 1) + L"kestrun_test_bus.sys";
}

double Milliseconds(std::chrono::microseconds time) {
    return static_cast<double>(time.count()) / 1000.0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: kestrun-test-pnp.exe install [VID:PID]... | plug VID:PID [COMn] | "
                 "unplug VID:PID\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return Usage();
    const std::wstring command = argv[1];
    std::vector<testbus::UsbId> ids;
    for (int i = 2; i < argc; ++i) {
        testbus::UsbId id{};
        if (!ParseId(argv[i], id))
            break;
        ids.push_back(id);
    }
    const int rest = argc - 2 - static_cast<int>(ids.size());
    try {
        if (command == L"install" && rest == 0) {
            testbus::Install(DriverBesideThisProgram());
            for (const testbus::UsbId& id : ids) {
                testbus::Plug(id, DefaultPort);
                testbus::Unplug(id);
            }
            return 0;
        }
        if (command == L"plug" && ids.size() == 1 && rest <= 1) {
            const auto took = testbus::Plug(ids[0], rest == 1 ? argv[argc - 1] : DefaultPort);
            std::printf("plugged in: interface active after %.1f ms\n", Milliseconds(took));
            return 0;
        }
        if (command == L"unplug" && ids.size() == 1 && rest == 0) {
            const auto took = testbus::Unplug(ids[0]);
            std::printf("pulled out: interface gone after %.1f ms\n", Milliseconds(took));
            return 0;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrun-test-pnp: %s\n", error.what());
        return 1;
    }
    return Usage();
}
