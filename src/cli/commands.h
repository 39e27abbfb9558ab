#pragma once
#include <string>
#include <vector>

#include "cli/console.h"

namespace kararisu::cli {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(Console& console, const std::vector<std::string>& args);
};

const std::vector<Command>& commands();

// One entry point per command, each in its own file.
int runInfo(Console& console, const std::vector<std::string>& args);
int runConvert(Console& console, const std::vector<std::string>& args);
int runPalette(Console& console, const std::vector<std::string>& args);
int runMerge(Console& console, const std::vector<std::string>& args);
int runReduce(Console& console, const std::vector<std::string>& args);
int runCount(Console& console, const std::vector<std::string>& args);

}  // namespace kararisu::cli
