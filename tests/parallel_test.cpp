// Work shared between the cores when the system refuses threads: every
// piece still runs once, and the engines give the same bytes.

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>
#include <tuple>

#include "reduce/engines.h"
#include "reduce/modes.h"
#include "reduce/survey.h"
#include "support/parallel.h"
#include "support/pictures.h"
#include "support/recording_monitor.h"
#include "support/recording_reporter.h"
#include "worklists/bmp/bmp.h"

namespace kararisu {
namespace {

// Gives the first `allowed` threads it is asked for, then refuses as a host
// at its limit of processes does.
class RationedThreads : public ThreadFactory {
  public:
    explicit RationedThreads(int allowed) : allowed_(allowed) {}
    std::jthread start(std::function<void()> work) override {
        ++asked;
        if (allowed_-- <= 0)
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::jthread(std::move(work));
    }
    int asked = 0;

  private:
    int allowed_;
};

using Piece = std::tuple<std::size_t, std::size_t, std::size_t>;

std::multiset<Piece> piecesRun(std::size_t parts, std::size_t n) {
    std::mutex lock;
    std::multiset<Piece> seen;
    inParts(parts, n, [&](std::size_t part, std::size_t first, std::size_t last) {
        std::lock_guard<std::mutex> hold(lock);
        seen.insert({part, first, last});
    });
    return seen;
}

TEST(Parallel, EveryPieceRunsOnceWhateverThreadsTheSystemGives) {
    const std::multiset<Piece> expected = {{0, 0, 2}, {1, 2, 5}, {2, 5, 7}, {3, 7, 10}};
    for (int allowed : {0, 1, 2, 3}) {
        RationedThreads threads(allowed);
        ScopedThreadFactory use(threads);
        EXPECT_EQ(piecesRun(4, 10), expected) << allowed << " threads allowed";
        EXPECT_EQ(threads.asked, std::min(allowed + 1, 3));
    }
}

TEST(Parallel, AFailingPieceIsThrownInTheCallerWithThreadsRefused) {
    RationedThreads none(0);
    ScopedThreadFactory use(none);
    int run = 0;
    EXPECT_THROW(inParts(3, 3,
                         [&](std::size_t part, std::size_t, std::size_t) {
                             ++run;
                             if (part == 1) throw std::bad_alloc();
                         }),
                 std::bad_alloc);
    EXPECT_EQ(run, 2);  // the piece after the failure is not begun
}

// A picture of many distinct colours, large enough that the survey, the
// sort, the refinement, the matching and the dithering all cut it in parts.
Bitmap manyColours() {
    Bitmap b(1024, 512, PixelFormat::Bpp24);
    for (int y = 0; y < b.height(); ++y) {
        std::uint8_t* row = b.row(y);
        for (int x = 0; x < b.width(); ++x) {
            row[3 * x] = std::uint8_t(x * 5 + y);
            row[3 * x + 1] = std::uint8_t(y * 3 + (x >> 2));
            row[3 * x + 2] = std::uint8_t((x ^ y) * 7);
        }
    }
    return b;
}

std::vector<std::uint8_t> reduced(const Bitmap& picture, bool refine, Dither dither) {
    test::RecordingMonitor monitor;
    test::RecordingReporter reporter;
    CollectingSink sink;
    WorkArea work(&reporter);
    RunContext run{monitor, reporter, sink, work, false};
    std::vector<ReductionTarget> targets = {{"a.bmp", "a.bmp", &picture, {}}};
    const ModeInfo& mode = modeInfo(0);
    EXPECT_EQ(
        individualReduction(targets, {0, mode.colorCount, mode.schemeName, refine, dither}, run),
        RunEnd::Completed);
    EXPECT_TRUE(reporter.messages.empty());
    return sink.results().empty() ? std::vector<std::uint8_t>{}
                                  : encodeBmp(sink.results().front().bitmap);
}

TEST(Parallel, ReductionsAndCountsAreTheSameOnTheCallingThreadAlone) {
    const Bitmap picture = manyColours();
    struct Case {
        bool refine;
        Dither dither;
    };
    for (const Case c : {Case{false, Dither::None}, Case{true, Dither::None},
                         Case{false, Dither::FloydSteinberg}, Case{false, Dither::Ordered},
                         Case{true, Dither::Auto}, Case{true, Dither::FloydSteinberg}}) {
        const std::vector<std::uint8_t> shared = reduced(picture, c.refine, c.dither);
        RationedThreads none(0);
        ScopedThreadFactory use(none);
        EXPECT_EQ(reduced(picture, c.refine, c.dither), shared)
            << "refine " << c.refine << ", dither " << int(c.dither);
        // On a host of one core nothing is shared out, and nothing asked.
        if (coreCount() > 1) {
            EXPECT_GT(none.asked, 0);
        }
    }
    test::RecordingReporter reporter;
    WorkArea work(&reporter);
    const Outcome<std::uint64_t> shared = countDistinctColors(picture, work);
    RationedThreads none(0);
    ScopedThreadFactory use(none);
    EXPECT_EQ(countDistinctColors(picture, work), *shared);
}

}  // namespace
}  // namespace kararisu
