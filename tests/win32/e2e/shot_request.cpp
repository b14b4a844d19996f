#include "tests/win32/e2e/shot_request.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace e2e {

void RequestShot(const UpdaterWindow& window, const std::string& name) {
    const char* folder = std::getenv("KESTRUN_SHOT_REQUESTS");
    if (folder == nullptr)
        return;
    window.Settle();
    const RECT frame = window.ClientArea();
    const std::string request = std::string(folder) + "/" + name + ".request";
    const std::string draft = request + ".part";
    {
        std::ofstream out(draft);
        out << frame.right - frame.left << 'x' << frame.bottom - frame.top << '+' << frame.left
            << '+' << frame.top << '\n';
        if (!out)
            throw std::runtime_error("cannot write " + draft);
    }
    // Renamed once complete, so that the photographer never reads half of it.
    if (!MoveFileA(draft.c_str(), request.c_str()))
        throw std::runtime_error("cannot make " + request);
    const bool taken = UpdaterWindow::WaitUntil(
        [&] { return GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES; },
        Milliseconds(30000));
    if (!taken)
        throw std::runtime_error("nobody took the picture " + name);
}

}  // namespace e2e
