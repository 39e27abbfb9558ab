#include "cli/commands.h"

namespace kararisu::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> list = {
        {"reduce", "reduce the colours of BMP files", runReduce},
        {"count", "count the distinct colours of BMP files", runCount},
        {"info", "describe BMP files (--text: the viewers' information text)", runInfo},
        {"convert", "read a BMP file and write it again", runConvert},
        {"palette", "print the palette of a palette file or BMP, or save it", runPalette},
        {"merge", "merge plus palettes into the free part of base palettes", runMerge},
    };
    return list;
}

}  // namespace kararisu::cli
