// Writing files: special files and links as targets, create-only names under
// races, and no temporary left behind by a writer that is killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "support/atomic_file.h"
#include "support/temp_folder.h"

using namespace kararisu;
using kararisu::test::TempFolder;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

int temporaries(const fs::path& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().starts_with(".kararisu-")) ++n;
    return n;
}

}  // namespace

TEST(AtomicFile, SpecialFilesAreNeverReplaced) {
    TempFolder t;
    ASSERT_EQ(::mkfifo((t / "pipe").c_str(), 0600), 0);
    fs::create_symlink(t / "pipe", t / "to-pipe");
    fs::create_directory(t / "folder");
    for (const std::string name : {"pipe", "to-pipe", "folder"}) {
        const Outcome<void> r = writeFileAtomically(t / name, bytesOf("x"));
        ASSERT_FALSE(r) << name;
        EXPECT_EQ(r.problem().kind, ProblemKind::NotRegularFile) << name;
    }
    EXPECT_TRUE(fs::is_fifo(t / "pipe"));
    EXPECT_TRUE(fs::is_symlink(t / "to-pipe"));
    EXPECT_EQ(temporaries(t.path), 0);
}

TEST(AtomicFile, ALinkIsWrittenThroughAndStays) {
    TempFolder t;
    fs::create_directory(t / "real");
    { std::ofstream(t / "real/a.bmp") << "old"; }
    ::chmod((t / "real/a.bmp").c_str(), 0640);
    fs::create_symlink("real/a.bmp", t / "link.bmp");        // relative
    fs::create_symlink(t / "real/new.bmp", t / "dangling");  // to a file not there yet
    ASSERT_TRUE(writeFileAtomically(t / "link.bmp", bytesOf("new")));
    ASSERT_TRUE(writeFileAtomically(t / "dangling", bytesOf("made")));
    EXPECT_TRUE(fs::is_symlink(t / "link.bmp"));
    EXPECT_TRUE(fs::is_symlink(t / "dangling"));
    EXPECT_EQ(contents(t / "real/a.bmp"), "new");
    EXPECT_EQ(contents(t / "real/new.bmp"), "made");
    EXPECT_EQ(fs::status(t / "real/a.bmp").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(temporaries(t.path) + temporaries(t.path / "real"), 0);
}

TEST(AtomicFile, AReplacedFileKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "only a privileged process can give files away";
    TempFolder t;
    { std::ofstream(t / "a.gpl") << "old"; }
    ASSERT_EQ(::chown((t / "a.gpl").c_str(), 4242, 4343), 0);
    for (auto write : {writeFileAtomically, writeFileViaNamedTemp}) {
        ASSERT_TRUE(write(t / "a.gpl", bytesOf("new"), WriteMode::Replace));
        struct stat st {};
        ASSERT_EQ(::stat((t / "a.gpl").c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 4242u);
        EXPECT_EQ(st.st_gid, 4343u);
    }
}

TEST(AtomicFile, OfTwoWritersCreatingOneNameExactlyOneSucceeds) {
    TempFolder t;
    for (auto write : {writeFileAtomically, writeFileViaNamedTemp}) {
        for (int round = 0; round < 40; ++round) {
            const std::string target = t / ("r" + std::to_string(round));
            Outcome<void> first, second;
            std::thread a([&] { first = write(target, bytesOf("first"), WriteMode::CreateOnly); });
            std::thread b(
                [&] { second = write(target, bytesOf("second"), WriteMode::CreateOnly); });
            a.join();
            b.join();
            ASSERT_NE(bool(first), bool(second)) << round;
            const Outcome<void>& lost = first ? second : first;
            EXPECT_EQ(lost.problem().kind, ProblemKind::FileExists);
            EXPECT_EQ(contents(target), first ? "first" : "second");
        }
        fs::remove_all(t.path);
        fs::create_directory(t.path);
    }
    EXPECT_EQ(temporaries(t.path), 0);
}

TEST(AtomicFile, AWriterKilledAtAnyMomentLeavesNoTemporary) {
    TempFolder t;
    const Bytes big(24 << 20, 0x5a);  // long enough to be killed in the middle
    std::mt19937 rng(7);
    struct Case {
        decltype(&writeFileAtomically) write;
        int signal;
    };
    // An unnamed file is gone whatever ends the writer; a named one is
    // removed on the signals that can be handled.
    const Case cases[] = {{writeFileAtomically, SIGKILL},
                          {writeFileAtomically, SIGTERM},
                          {writeFileViaNamedTemp, SIGINT},
                          {writeFileViaNamedTemp, SIGTERM},
                          {writeFileViaNamedTemp, SIGHUP}};
    for (const Case& c : cases) {
        for (int round = 0; round < 6; ++round) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                for (;;) (void)c.write(t / "big.bmp", big, WriteMode::Replace);
            }
            ::usleep(1000 + rng() % 40000);
            ::kill(child, c.signal);
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(temporaries(t.path), 0) << "signal " << c.signal << " round " << round;
        }
    }
}
