// Progress codes of an update, kept in UpdaterState::Stage.
#pragma once

#include <cstdint>

namespace app {

enum StageCode : std::uint8_t {
    StageIdle = 0,     // no update has run, or the last one failed
    StageStarted = 1,  // Далее pressed on the connection page
    StageWriting = 2,
    StageVerifying = 3,
    StageSettings = 4,
    StageDone = 5,
};

}  // namespace app
