#pragma once
// Pillow (python3-pil), the second decoder the tests hold our files to,
// through tests/tools/pil_dump.py.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace kararisu::test {

// An interpreter that has Pillow: Debian's first (another python3 may come
// first on PATH), or empty.
inline std::string pillowPython() {
    for (const char* p : {"/usr/bin/python3", "python3"}) {
        if (std::string(p).front() == '/' && !std::filesystem::exists(p)) continue;
        if (std::system((std::string(p) + " -c 'import PIL' >/dev/null 2>&1").c_str()) == 0)
            return p;
    }
    return {};
}

inline std::string quotedArg(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs pil_dump.py with the arguments; its standard output, or nothing
// with ok false when it failed.
inline std::string pilDump(const std::string& python, const std::vector<std::string>& args,
                           bool& ok) {
    std::string cmd = python + " " + quotedArg(KARARISU_TEST_TOOLS "/pil_dump.py");
    for (const std::string& a : args) cmd += " " + quotedArg(a);
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    ok = p != nullptr;
    if (!p) return out;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    ok = ::pclose(p) == 0;
    return out;
}

}  // namespace kararisu::test
