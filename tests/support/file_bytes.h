#pragma once
// The bytes of a file, for comparing what two writers wrote.

#include <fstream>
#include <iterator>
#include <string>

namespace kararisu::test {

inline std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace kararisu::test
