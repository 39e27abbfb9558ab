#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace kararisu::test {

struct TempFolder {
    std::filesystem::path path;
    TempFolder() {
        std::string t = (std::filesystem::temp_directory_path() / "kararisu-test-XXXXXX").string();
        path = ::mkdtemp(t.data());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    int entries() const {
        int n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(path)) ++n;
        return n;
    }
};

}  // namespace kararisu::test
