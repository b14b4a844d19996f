#include "link/serial_channel.h"

#include "platform/device_path.h"

namespace devlink {

SerialChannel::SerialChannel(UpdaterState& state, platform::SerialApi& api)
    : state_(state), api_(api) {}

bool SerialChannel::OpenPort(const std::string& portName, std::int32_t baudRate) {
    if (shutDown_)
        return false;

    state_.PortHandle = api_.CreateFileA(platform::DevicePath(portName));
    if (state_.PortHandle == platform::InvalidHandle)
        return false;

    // Each step runs only if the one before it succeeded; the first refusal
    // gives the handle back so the port is free for the next attempt.
    const bool configured = [&] {
        if (!api_.SetupComm(state_.PortHandle, InputQueueSize, OutputQueueSize))
            return false;
        if (!api_.GetCommState(state_.PortHandle, state_.PortDcb))
            return false;
        state_.PortDcb.StopBits = platform::OneStopBit;
        state_.PortDcb.Parity = platform::EvenParity;
        state_.PortDcb.ByteSize = 8;
        state_.PortDcb.BaudRate = static_cast<std::uint32_t>(baudRate);
        if (!api_.SetCommState(state_.PortHandle, state_.PortDcb))
            return false;
        if (!api_.GetCommTimeouts(state_.PortHandle, state_.PortTimeouts))
            return false;
        state_.PortTimeouts = PortTimeoutValues;
        if (!api_.SetCommTimeouts(state_.PortHandle, state_.PortTimeouts))
            return false;
        return api_.SetCommMask(state_.PortHandle, EventMask);
    }();
    if (!configured)
        api_.CloseHandle(state_.PortHandle);
    return configured;
}

std::uint32_t SerialChannel::BytesWaiting() {
    if (!state_.PortOpen || shutDown_)
        return 0;
    std::uint32_t inQueue = 0;
    if (!api_.ClearCommError(state_.PortHandle, inQueue))
        return 0;
    return inQueue;
}

bool SerialChannel::ReadBytes(std::uint8_t* buffer, std::uint16_t count, std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (shutDown_)
        return false;
    const bool ok = api_.ReadFile(state_.PortHandle, buffer, count, bytesRead);
    return ok && bytesRead == count;
}

bool SerialChannel::WriteBytes(const std::uint8_t* buffer, std::uint16_t count) {
    if (count == 0)
        return true;
    if (shutDown_)
        return false;
    std::uint32_t written = 0;
    const bool ok = api_.WriteFile(state_.PortHandle, buffer, count, written);
    return ok && written == count;
}

void SerialChannel::DrainInput(std::span<std::uint8_t> scratch) {
    const std::uint32_t waiting = BytesWaiting();
    if (waiting == 0)
        return;
    if (waiting <= scratch.size()) {
        std::uint32_t bytesRead = 0;
        api_.ReadFile(state_.PortHandle, scratch.data(), waiting, bytesRead);
    }
    // The count covers only what the driver shows us: a Linux tty shows at
    // most 4 KiB and keeps the rest of a backlog behind it, and a larger
    // count would not fit the receive buffer. None of it is wanted, so the driver
    // drops whatever is left rather than us reading it piecemeal.
    api_.PurgeInput(state_.PortHandle);
}

bool SerialChannel::WaitForBytes(std::uint32_t polls, std::uint16_t wanted) {
    for (std::uint32_t i = 0; i < polls; ++i) {
        api_.Sleep(1);
        if (BytesWaiting() >= wanted)
            return true;
    }
    return false;
}

void SerialChannel::ClosePort() {
    if (shutDown_)
        return;
    api_.CloseHandle(state_.PortHandle);
}

void SerialChannel::CloseForShutdown() {
    if (shutDown_)
        return;
    if (state_.PortOpen)
        api_.CloseHandle(state_.PortHandle);
    shutDown_ = true;
}

}  // namespace devlink
