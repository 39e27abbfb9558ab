// The reduction run from the window: the monitor's steps for each kind of
// run, the size check, palette names across runs, the sound option, and a
// window that stays whole while a run holds the GUI thread.
#include <QCloseEvent>
#include <QCoreApplication>

#include "gui/reduce_fixture.h"
#include "viewers/Gpform.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

using Log = std::vector<std::string>;

class RunTest : public ReduceTest {
  protected:
    void SetUp() override {
        ReduceTest::SetUp();
        main().DropFiles({bmp("a.bmp"), bmp("b.bmp", PixelFormat::Bpp8)});
        selectLines({0, 1});
    }
    // The steps of one image of a unification walk.
    static Log unifyImage(const char* number, const char* name, const char* position) {
        return {std::string("NoLabel=") + number, std::string("NameLabel=") + name,
                std::string("PBar=") + position};
    }
    static Log join(std::initializer_list<Log> parts) {
        Log out;
        for (const Log& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    }
};

const Log kStart{"TitleLabel=ターゲット", "NoLabel=\u3000／\u3000", "show="};
const Log kSurvey{"ComentLabel=全ピクセルをカラーサーチ", "PBar=0"};
const Log kAdaptive{"ComentLabel=取得カラーをクイックソート",
                    "PBar=300",
                    "ComentLabel=ヒストグラム作成",
                    "PBar=500",
                    "ComentLabel=減色実行！！",
                    "PBar=700"};
const Log kConvert{"ComentLabel=ピクセル値を変換", "PBar=900", "PBar=1000", "ComentLabel=完了！！"};
const Log kUnifyStart{"TitleLabel=ターゲット", "NoLabel=\u3000／\u3000", "PBar=0",
                      "ComentLabel=ピクセル値変換"};
const Log kUnifyEnd{"PBar=1000", "ComentLabel=完了！！", "hide="};

TEST_F(RunTest, EachImageByItselfWithAFixedPalette) {
    reduceWith(5, ReductionMenu::Individual);
    const Log a{"NoLabel=1/2", "NameLabel=a.bmp"};
    const Log b{"NoLabel=2/2", "NameLabel=b.bmp"};
    EXPECT_EQ(monitorLog, join({kStart, a, kSurvey, kConvert, b, kSurvey, kConvert, {"hide="}}));
    EXPECT_FALSE(monitor()->isVisible());
    EXPECT_EQ(modeLabels(), (Log{"グレー256", "グレー256"}));
}

TEST_F(RunTest, EachImageByItselfWithAnAdaptivePalette) {
    reduceWith(0, ReductionMenu::Individual);
    const Log a{"NoLabel=1/2", "NameLabel=a.bmp"};
    const Log b{"NoLabel=2/2", "NameLabel=b.bmp"};
    EXPECT_EQ(
        monitorLog,
        join(
            {kStart, a, kSurvey, kAdaptive, kConvert, b, kSurvey, kAdaptive, kConvert, {"hide="}}));
}

TEST_F(RunTest, ReferencePaletteFromTheSecondImage) {
    reduceWith(0, ReductionMenu::Reference, 1);
    const Log palette =
        join({{"TitleLabel=基準パレット作成", "NoLabel=", "show=", "NameLabel=b.bmp"},
              kSurvey,
              kAdaptive,
              {"ComentLabel=パレット作成完了！！", "PBar=1000"}});
    EXPECT_EQ(monitorLog, join({palette, kUnifyStart, unifyImage("1/2", "a.bmp", "500"),
                                unifyImage("2/2", "b.bmp", "1000"), kUnifyEnd}));
    EXPECT_EQ(paletteNames(), (Log{"b(PG1)", "b(PG1)"}));
}

TEST_F(RunTest, GivenPaletteOfThe8BitSource) {
    reduceWith(0, ReductionMenu::GivenPalette, 0);
    EXPECT_EQ(monitorLog, join({kUnifyStart,
                                {"show="},
                                unifyImage("1/2", "a.bmp", "500"),
                                unifyImage("2/2", "b.bmp", "1000"),
                                kUnifyEnd}));
    EXPECT_EQ(paletteNames(), (Log{"b(PG1)", "b(PG1)"}));
    EXPECT_EQ(modeLabels(), (Log{"ノーマル256", "ノーマル256"}));
}

TEST_F(RunTest, AnImageWithoutPixelsIsSkippedWithItsMessage) {
    saveBmp(Bitmap(0, 0, PixelFormat::Bpp24), path("zero.bmp")).take(path("zero.bmp"));
    main().DropFiles({path("zero.bmp"), bmp("c.bmp")});
    selectLines({0, 2, 3});
    bool hiddenDuringMessage = false;
    platform.onMessage = [&](const Message&) { hiddenDuringMessage = !monitor()->isVisible(); };
    main().ui().SoundCheck->setChecked(true);
    reduceWith(0, ReductionMenu::Individual);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], sizeMessage("zero.bmp"));
    EXPECT_TRUE(hiddenDuringMessage);
    EXPECT_EQ(lines(), (Log{"a.bmp", "b.bmp", "zero.bmp", "c.bmp"}));
    Log numbers;
    for (const std::string& s : monitorLog)
        if (s.rfind("NoLabel=", 0) == 0) numbers.push_back(s);
    EXPECT_EQ(numbers,
              (Log{"NoLabel=\u3000／\u3000", "NoLabel=1/3", "NoLabel=2/3", "NoLabel=3/3"}));
    std::vector<std::string> paths;
    for (int i = 0; i < main().lists().results.size(); ++i)
        paths.push_back(fileNameOf(main().lists().results.at(i).path));
    EXPECT_EQ(paths, (Log{"a.bmp", "c.bmp"}));
    EXPECT_EQ(platform.beeps, std::vector<Beep>{Beep::Information});
}

TEST_F(RunTest, PaletteNamesJoinTheSameModeAndAvoidAnother) {
    main().DropFiles({bmp("photo.bmp")});
    selectLines({2});
    reduceWith(0, ReductionMenu::Individual);
    reduceWith(0, ReductionMenu::Individual);
    reduceWith(5, ReductionMenu::Individual);
    EXPECT_EQ(paletteNames(), (Log{"photo(1)", "photo(1)", "photo(2)"}));
    EXPECT_EQ(modeLabels(), (Log{"ノーマル256", "ノーマル256", "グレー256"}));
    EXPECT_TRUE(platform.beeps.empty());  // the sound option is off
}

TEST_F(RunTest, TheResultViewersArrowsFollowTheRun) {
    TGPreForm* viewer = program->windows().GPreForm;
    selectLines({0});
    reduceWith(0, ReductionMenu::Individual);
    EXPECT_FALSE(viewer->UpButton->isEnabled());
    EXPECT_FALSE(viewer->DownButton->isEnabled());
    viewer->GenBox->setCurrentIndex(0);
    reduceWith(0, ReductionMenu::Individual);
    EXPECT_FALSE(viewer->UpButton->isEnabled());
    EXPECT_TRUE(viewer->DownButton->isEnabled());
}

TEST_F(RunTest, TheQualityOptionsOfTheSettingsMenuReachTheRun) {
    main().ui().E1->trigger();
    selectLines({0});
    reduceWith(0, ReductionMenu::Individual);
    ASSERT_EQ(modeLabels().size(), 1u);
    EXPECT_NE(modeLabels()[0].find("+D"), std::string::npos) << modeLabels()[0];
}

TEST_F(RunTest, TargetsShareTheirSourcesPixels) {
    selectLines({1});
    reduceWith(0, ReductionMenu::Individual);
    ASSERT_EQ(main().lists().targets.size(), 1);
    EXPECT_EQ(main().lists().targets.at(0).bitmap, main().lists().sources.at(1).bitmap);
}

TEST_F(RunTest, ACloseRequestDuringARunIsKeptUntilTheRunEnds) {
    bool posted = false;
    QObject::connect(monitor(), &TGenMoniDlg::monitorChanged, [&] {
        if (posted) return;
        posted = true;
        QCoreApplication::postEvent(&main(), new QCloseEvent);
    });
    bool closed = false;
    QObject::connect(&main(), &TMain::closed, [&] { closed = true; });
    main().show();
    reduceWith(0, ReductionMenu::Individual);
    EXPECT_TRUE(posted);
    EXPECT_FALSE(closed);
    EXPECT_EQ(main().lists().results.size(), 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(main().isVisible());
}

TEST_F(RunTest, CancelStartsNoRun) {
    reduce([](TGenSetDlg& d) { d.CancelButton->click(); });
    EXPECT_TRUE(monitorLog.empty());
    EXPECT_TRUE(main().lists().results.empty());
}

}  // namespace
