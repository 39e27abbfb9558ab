#pragma once
// Runs the batch tool as a person runs it, in a scratch folder of its own.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kararisu::test {

struct CliRun {
    int status = 0;
    std::string out;
};

// stderr is dropped unless keepStderr, when it joins stdout.
inline CliRun runCli(const std::string& args, bool keepStderr = false) {
    const std::string cmd =
        std::string(KARARISU_CLI) + " " + args + (keepStderr ? " 2>&1" : " 2>/dev/null");
    CliRun r;
    FILE* p = ::popen(cmd.c_str(), "r");
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) r.out.append(buf.data(), n);
    r.status = WEXITSTATUS(::pclose(p));
    return r;
}

struct ShellRun {
    int status = 0;  // 128 + the signal for a command killed by one
    std::string out, err;
};

struct ScratchFolder : ::testing::Test {
    std::filesystem::path dir;
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("kararisu-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
               std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "out");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string file(const std::string& name) const { return (dir / name).string(); }
    std::string quoted(const std::string& name) const { return "'" + file(name) + "'"; }

    // Runs a line of sh with $CLI naming the batch tool; its standard output
    // and standard error are kept apart.
    ShellRun sh(const std::string& line) const {
        ::setenv("CLI", KARARISU_CLI, 1);
        const std::string err = file(".stderr");
        FILE* p = ::popen(("{ " + line + "\n} 2>'" + err + "'").c_str(), "r");
        ShellRun r;
        std::array<char, 4096> buf;
        while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) r.out.append(buf.data(), n);
        const int status = ::pclose(p);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (FILE* e = std::fopen(err.c_str(), "rb")) {
            while (std::size_t n = std::fread(buf.data(), 1, buf.size(), e))
                r.err.append(buf.data(), n);
            std::fclose(e);
        }
        std::filesystem::remove(err);
        return r;
    }
};

}  // namespace kararisu::test
