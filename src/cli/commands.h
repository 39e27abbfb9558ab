#pragma once
#include <string>
#include <vector>

namespace kararisu::cli {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const std::vector<std::string>& args);
};

const std::vector<Command>& commands();

// One entry point per command, each in its own file.
int runInfo(const std::vector<std::string>& args);
int runConvert(const std::vector<std::string>& args);
int runPalette(const std::vector<std::string>& args);
int runMerge(const std::vector<std::string>& args);
int runReduce(const std::vector<std::string>& args);
int runCount(const std::vector<std::string>& args);

}  // namespace kararisu::cli
