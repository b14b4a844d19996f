// The options of the kestrun-bootsim program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/bootsim/options.h"

namespace bootsim {

struct CommandLine {
    Options options;
    std::string dumpPath;  // empty: no memory dump on exit
    bool help = false;
};

// Fills `error` and returns nothing when an argument is unknown or malformed.
std::optional<CommandLine> ParseCommandLine(int argc, char* const argv[], std::string& error);

std::string UsageText(std::string_view program);

}  // namespace bootsim
