#include <cstdio>

#include "cli/commands.h"
#include "worklists/bmp.h"

namespace kararisu::cli {

int runInfo(const std::vector<std::string>& args) {
    int status = 0;
    for (const auto& path : args) {
        const BmpReadResult r = readBmpFile(path);
        if (!r.ok()) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), r.reason.c_str());
            status = 1;
            continue;
        }
        std::printf("%s\t%d x %d\t%d bpp in file\tformat %s\tDepthCode %d\tcompression %u\n",
                    path.c_str(), r.bitmap.width(), r.bitmap.height(), r.info.fileBitCount,
                    formatName(r.bitmap.format()), depthCode(r.bitmap.format()),
                    r.info.compression);
    }
    return status;
}

}  // namespace kararisu::cli
