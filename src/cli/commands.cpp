#include "cli/commands.h"

namespace kararisu::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> list = {
        {"reduce", "reduce the colours of BMP and PNG files", runReduce},
        {"count", "count the distinct colours of BMP and PNG files", runCount},
        {"info", "describe BMP and PNG files (--text: the viewers' information text)", runInfo},
        {"convert", "read a BMP or PNG file and write it again, as BMP or PNG", runConvert},
        {"palette", "print the palette of a palette file or image, or save it", runPalette},
        {"merge", "merge plus palettes into the free part of base palettes", runMerge},
    };
    return list;
}

}  // namespace kararisu::cli
