// The device-change handler and the idle step that acts on it, fed arbitrary
// notification records.
//
// Each record lies in a heap buffer of exactly its own length. The system
// never hands over fewer bytes than a record's size field claims, so a claim
// beyond the input is cut down to it; what lies past the claim, and past the
// 256 characters of the name area, is poisoned, so that any read of it is a
// finding.
#include <fuzzer/FuzzedDataProvider.h>
#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "app/Update_Main.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/null_view.h"
#include "link/device_events.h"
#include "platform/device_notice_record.h"
#include "platform/forwarding_serial_api.h"
#include "stand_ins/counting_serial_api.h"
#include "stand_ins/fixed_ports_registry.h"

namespace {

constexpr std::size_t MaxRecordBytes = platform::NoticeRecordSize + 64;

// The programmer's side of a connection the idle step may make: every frame
// written releases the next answer of the input, so a sync and the Get
// command can succeed and the removal path can find a port to close.
class AnsweringPort : public platform::ForwardingSerialApi {
  public:
    explicit AnsweringPort(stand_ins::CountingSerialApi& port)
        : ForwardingSerialApi(port), port_(port) {}
    std::deque<std::vector<std::uint8_t>> answers;

    bool WriteFile(platform::PortHandle h, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesWritten) override {
        if (!answers.empty()) {
            port_.input.insert(port_.input.end(), answers.front().begin(), answers.front().end());
            answers.pop_front();
        }
        return ForwardingSerialApi::WriteFile(h, buffer, count, bytesWritten);
    }

  private:
    stand_ins::CountingSerialApi& port_;
};

std::uint32_t EventCode(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return platform::DeviceArrival;
        case 1:
            return platform::DeviceRemoveComplete;
        case 2:
            return input.ConsumeIntegral<std::uint32_t>();
        default:
            return 0x0007;  // DBT_DEVNODES_CHANGED, which carries no record
    }
}

void Deliver(app::TForm1& form, std::uint32_t code, const std::vector<std::uint8_t>& bytes) {
    const std::size_t length = std::max<std::size_t>(bytes.size(), 4);
    auto record = std::make_unique<std::uint8_t[]>(length);
    std::copy(bytes.begin(), bytes.end(), record.get());
    std::uint32_t claimed = 0;
    std::memcpy(&claimed, record.get(), 4);
    if (claimed > length) {
        claimed = static_cast<std::uint32_t>(length);
        std::memcpy(record.get(), &claimed, 4);
    }
    const std::size_t readable =
        std::max<std::size_t>(4, std::min<std::size_t>(claimed, platform::NoticeRecordSize));
    ASAN_POISON_MEMORY_REGION(record.get() + readable, length - readable);

    const std::uint8_t before = form.State().DeviceEvent;
    form.WMDeviceChange(code, record.get());
    const std::uint8_t after = form.State().DeviceEvent;
    ASAN_UNPOISON_MEMORY_REGION(record.get() + readable, length - readable);

    if (after != before) {
        FUZZ_CHECK(code == platform::DeviceArrival || code == platform::DeviceRemoveComplete);
        FUZZ_CHECK(after == (code == platform::DeviceArrival ? devlink::DeviceEventArrived
                                                             : devlink::DeviceEventRemoved));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    fuzzing::NullView view;
    stand_ins::CountingSerialApi port;  // COM33, its sleeps cost nothing
    AnsweringPort answering(port);
    stand_ins::FixedPortsRegistry registry;
    registry.devices.push_back({"Silicon Labs CP210x USB to UART Bridge (COM33)", ""});
    auto form = std::make_unique<app::TForm1>(view, answering, registry, nullptr);
    form->FormCreate();

    for (int i = 0; i < 8 && input.remaining_bytes() > 0; ++i) {
        const std::uint32_t code = EventCode(input);
        const auto bytes = input.ConsumeBytes<std::uint8_t>(
            input.ConsumeIntegralInRange<std::size_t>(0, MaxRecordBytes));
        // What the programmer answers if the idle step connects to it.
        answering.answers.clear();
        for (int n = input.ConsumeIntegralInRange(0, 3); n > 0; --n) {
            answering.answers.push_back(
                input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(1, 16)));
        }
        Deliver(*form, code, bytes);
        form->ApplicationEvents1Idle();

        const auto& state = form->State();
        FUZZ_CHECK(!state.Connected || state.PortOpen);
        FUZZ_CHECK(port.openHandles == (state.PortOpen ? 1 : 0));
        FUZZ_CHECK(port.callsAfterClose == 0);
    }
    return 0;
}
