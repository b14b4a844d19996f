#include "tests/win32/pnp/test_bus.h"

#include <windows.h>
// These need <windows.h> before them.
#include <newdev.h>
#include <setupapi.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <stdexcept>

#include "tests/win32/pnp/test_bus_requests.h"

namespace testbus {

namespace {

using Clock = std::chrono::steady_clock;

// GUID_DEVINTERFACE_USB_DEVICE
constexpr GUID UsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
// GUID_DEVCLASS_SYSTEM
constexpr GUID SystemClass = {
    0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr wchar_t PortsClass[] = L"{4D36E978-E325-11CE-BFC1-08002BE10318}";

constexpr wchar_t BusInstance[] = L"ROOT\\KESTRUN_TEST_BUS\\0000";
// A list: one ID and the empty string that ends it.
constexpr wchar_t BusHardwareIds[] = L"root\\kestrun_test_bus\0";
constexpr wchar_t DriverFileName[] = L"kestrun_test_bus.sys";

// A new session starts the bus's service on its own, a moment after its
// first program.
constexpr auto BusStartLimit = std::chrono::seconds(30);
constexpr auto PlugLimit = std::chrono::seconds(10);

#if defined(_WIN64)
#define KESTRUN_INF_PLATFORM "NTamd64"
#else
#define KESTRUN_INF_PLATFORM "NTx86"
#endif

constexpr char InfText[] =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=System\r\n"
    "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
    "Provider=Kestrun tests\r\n"
    "DriverVer=01/01/2024,1.0.0.0\r\n"
    "[Manufacturer]\r\n"
    "Kestrun tests=Models," KESTRUN_INF_PLATFORM
    "\r\n"
    "[Models." KESTRUN_INF_PLATFORM
    "]\r\n"
    "Test USB bus=Bus,root\\kestrun_test_bus\r\n"
    "[Bus." KESTRUN_INF_PLATFORM
    "]\r\n"
    "CopyFiles=BusFiles\r\n"
    "[Bus." KESTRUN_INF_PLATFORM
    ".Services]\r\n"
    "AddService=kestrun_test_bus,0x2,BusService\r\n"
    "[BusFiles]\r\n"
    "kestrun_test_bus.sys\r\n"
    "[SourceDisksNames]\r\n"
    "1=\"Kestrun tests\",kestrun_test_bus.sys\r\n"
    "[SourceDisksFiles]\r\n"
    "kestrun_test_bus.sys=1\r\n"
    "[DestinationDirs]\r\n"
    "DefaultDestDir=12\r\n"
    "[BusService]\r\n"
    "ServiceBinary=%12%\\kestrun_test_bus.sys\r\n"
    "ServiceType=1\r\n"
    "StartType=3\r\n"
    "ErrorControl=1\r\n";

[[noreturn]] void Fail(const std::string& what, DWORD error = GetLastError()) {
    throw std::runtime_error(what + " (error " + std::to_string(error) + ")");
}

class DeviceList {
  public:
    explicit DeviceList(HDEVINFO set) : set_(set) {
        if (set_ == INVALID_HANDLE_VALUE)
            Fail("cannot list devices");
    }
    ~DeviceList() { SetupDiDestroyDeviceInfoList(set_); }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    HDEVINFO get() const { return set_; }

  private:
    HDEVINFO set_;
};

std::wstring InstanceId(UsbId device) {
    wchar_t text[64];
    std::swprintf(text, 64, L"USB\\VID_%04X&PID_%04X\\0001", device.vendor, device.product);
    return text;
}

bool InterfaceActive(const std::wstring& instance) {
    DeviceList set(SetupDiGetClassDevsW(&UsbDeviceInterface, nullptr, nullptr,
                                        DIGCF_DEVICEINTERFACE | DIGCF_PRESENT));
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA entry{};
        entry.cbSize = sizeof(entry);
        if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &UsbDeviceInterface, index, &entry))
            return false;
        if ((entry.Flags & SPINT_ACTIVE) == 0)
            continue;
        alignas(SP_DEVICE_INTERFACE_DETAIL_DATA_W) BYTE detailBuffer[1024];
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detailBuffer);
        detail->cbSize = sizeof(*detail);
        SP_DEVINFO_DATA owner{};
        owner.cbSize = sizeof(owner);
        wchar_t id[200] = {};
        if (SetupDiGetDeviceInterfaceDetailW(set.get(), &entry, detail, sizeof(detailBuffer),
                                             nullptr, &owner) &&
            SetupDiGetDeviceInstanceIdW(set.get(), &owner, id, 200, nullptr) &&
            _wcsicmp(id, instance.c_str()) == 0)
            return true;
    }
}

template <typename Done>
bool WaitUntil(Done done, Clock::duration limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= end)
            return false;
        Sleep(1);
    }
    return true;
}

std::wstring StringProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t value[256] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(value), sizeof(value) - 2,
                                           nullptr))
        return {};
    return value;
}

void SetStringProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property,
                       const std::wstring& value) {
    if (!SetupDiSetDeviceRegistryPropertyW(
            set, &device, property, reinterpret_cast<const BYTE*>(value.c_str()),
            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))))
        Fail("cannot set a property of the plugged device");
}

// What the bridge's own driver and the Ports class installer would set;
// Wine has neither. Returns whether anything had to be set.
bool GivePortIdentity(const std::wstring& instance, const std::wstring& port) {
    DeviceList set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    if (!SetupDiOpenDeviceInfoW(set.get(), instance.c_str(), nullptr, 0, &device))
        Fail("the plugged device has no node");
    bool changed = false;
    if (_wcsicmp(StringProperty(set.get(), device, SPDRP_CLASSGUID).c_str(), PortsClass) != 0) {
        SetStringProperty(set.get(), device, SPDRP_CLASSGUID, PortsClass);
        changed = true;
    }
    if (StringProperty(set.get(), device, SPDRP_FRIENDLYNAME) != PortName(port)) {
        SetStringProperty(set.get(), device, SPDRP_FRIENDLYNAME, PortName(port));
        changed = true;
    }
    return changed;
}

HANDLE OpenBus() {
    HANDLE bus = INVALID_HANDLE_VALUE;
    WaitUntil(
        [&] {
            bus = CreateFileW(TEST_BUS_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
            return bus != INVALID_HANDLE_VALUE;
        },
        BusStartLimit);
    if (bus == INVALID_HANDLE_VALUE)
        Fail("the test bus does not answer: is it installed in this prefix?");
    return bus;
}

void Ask(DWORD code, const void* input, DWORD inputSize, const char* what) {
    const HANDLE bus = OpenBus();
    DWORD returned = 0;
    const BOOL done = DeviceIoControl(bus, code, const_cast<void*>(input), inputSize, nullptr, 0,
                                      &returned, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(bus);
    if (!done)
        Fail(std::string("the test bus refused to ") + what, error);
}

}  // namespace

std::wstring PortName(const std::wstring& port) {
    return L"Silicon Labs CP210x USB to UART Bridge (" + port + L")";
}

void Install(const std::wstring& driverFile) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kestrun-test-bus\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!CopyFileW(driverFile.c_str(), (folder + DriverFileName).c_str(), FALSE))
        Fail("cannot copy the driver file");
    const std::wstring inf = folder + L"kestrun_test_bus.inf";
    {
        std::ofstream file(inf.c_str(), std::ios::binary | std::ios::trunc);
        file << InfText;
        if (!file.flush())
            Fail("cannot write the driver's INF");
    }

    DeviceList set(SetupDiCreateDeviceInfoList(&SystemClass, nullptr));
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    if (SetupDiCreateDeviceInfoW(set.get(), BusInstance, &SystemClass, nullptr, nullptr, 0,
                                 &device)) {
        if (!SetupDiSetDeviceRegistryPropertyW(set.get(), &device, SPDRP_HARDWAREID,
                                               reinterpret_cast<const BYTE*>(BusHardwareIds),
                                               sizeof(BusHardwareIds)) ||
            !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.get(), &device))
            Fail("cannot register the bus device");
    } else if (GetLastError() != ERROR_DEVINST_ALREADY_EXISTS) {
        Fail("cannot create the bus device");
    }
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, L"root\\kestrun_test_bus", inf.c_str(),
                                            INSTALLFLAG_FORCE, &reboot))
        Fail("cannot install the bus driver");
    CloseHandle(OpenBus());
}

std::chrono::microseconds Plug(UsbId device, const std::wstring& port) {
    const test_bus_plug request{device.vendor, device.product};
    const auto start = Clock::now();
    Ask(TEST_BUS_PLUG, &request, sizeof(request), "plug a device in");
    const std::wstring instance = InstanceId(device);
    if (!WaitUntil([&] { return InterfaceActive(instance); }, PlugLimit))
        Fail("the plugged device's interface did not become active", 0);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    // Late for this plug's own announcement; kept for every later one.
    if (GivePortIdentity(instance, port))
        std::fprintf(stderr, "test bus: %ls got its port identity only after its arrival\n",
                     instance.c_str());
    return took;
}

std::chrono::microseconds Unplug(UsbId device) {
    const auto start = Clock::now();
    Ask(TEST_BUS_UNPLUG, nullptr, 0, "pull the device out");
    const std::wstring instance = InstanceId(device);
    if (!WaitUntil([&] { return !InterfaceActive(instance); }, PlugLimit))
        Fail("the unplugged device's interface stayed active", 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
}

}  // namespace testbus
