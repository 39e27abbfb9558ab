// Without libFuzzer: feed every kept input of the folder named on the command
// line to the target once, and check that each comes out as the folder's
// EXPECTED file says: one line "NAME OUTCOME" a file, OUTCOME "decoded" or
// "refused:Kind". A folder that is missing or empty, a file with no line, a
// line with no file or another outcome fails the replay.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

std::string fuzzOutcome(const std::uint8_t* data, std::size_t size);

namespace {

constexpr const char* kExpectedFile = "EXPECTED";

std::map<std::string, std::string> readExpected(const std::filesystem::path& folder) {
    std::map<std::string, std::string> expected;
    std::ifstream in(folder / kExpectedFile);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string name, outcome;
        if (words >> name >> outcome) expected[name] = outcome;
    }
    return expected;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        std::fprintf(stderr, "%s: no such folder of kept inputs\n", argv[1]);
        return 1;
    }
    std::map<std::string, std::string> expected = readExpected(folder);
    int files = 0, wrong = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file() || name == kExpectedFile) continue;
        std::ifstream in(e.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
        const std::string outcome = fuzzOutcome(bytes.data(), bytes.size());
        ++files;
        const auto line = expected.find(name);
        if (line == expected.end()) {
            std::fprintf(stderr, "%s: %s, but %s has no line for it\n", name.c_str(),
                         outcome.c_str(), kExpectedFile);
            ++wrong;
            continue;
        }
        if (line->second != outcome) {
            std::fprintf(stderr, "%s: %s, expected %s\n", name.c_str(), outcome.c_str(),
                         line->second.c_str());
            ++wrong;
        }
        expected.erase(line);
    }
    for (const auto& [name, outcome] : expected) {
        std::fprintf(stderr, "%s: in %s but not in the folder\n", name.c_str(), kExpectedFile);
        ++wrong;
    }
    if (files == 0) {
        std::fprintf(stderr, "%s: no kept inputs to replay\n", argv[1]);
        return 1;
    }
    std::printf("replayed %d files, %d not as expected\n", files, wrong);
    return wrong == 0 ? 0 : 1;
}
