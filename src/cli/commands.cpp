#include "cli/commands.h"

namespace kararisu::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> list = {
        {"info", "describe BMP files", runInfo},
        {"convert", "read a BMP file and write it again", runConvert},
    };
    return list;
}

}  // namespace kararisu::cli
