// Deleting source and result images: entries, lines, the viewers' selectors,
// the scroll extent and the commands that follow the selection.
#include "gui/gui_fixture.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"
#include "viewers/Ppform.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

class DeleteTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
    }
    std::vector<int> depths() {
        std::vector<int> out;
        for (int i = 0; i < main().lists().sources.size(); ++i)
            out.push_back(main().lists().sources.at(i).depth);
        return out;
    }
    std::vector<std::string> items(QComboBox* box) {
        std::vector<std::string> out;
        for (int i = 0; i < box->count(); ++i) out.push_back(box->itemText(i).toStdString());
        return out;
    }
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        for (int j = 0; j < main().ui().GenListView->topLevelItemCount(); ++j)
            out.push_back(main().ui().GenListView->topLevelItem(j)->text(0).toStdString());
        return out;
    }
    std::vector<std::string> resultPaths() {
        std::vector<std::string> out;
        for (int i = 0; i < main().lists().results.size(); ++i)
            out.push_back(main().lists().results.at(i).path);
        return out;
    }
    void loadFive() {
        const PixelFormat f[] = {PixelFormat::Bpp1, PixelFormat::Bpp4, PixelFormat::Bpp8,
                                 PixelFormat::Bpp24, PixelFormat::Bpp32};
        std::vector<std::string> files;
        for (int i = 0; i < 5; ++i) files.push_back(bmp("f" + std::to_string(i) + ".bmp", f[i]));
        main().DropFiles(files);
    }
};

TEST_F(DeleteTest, DeletingLinesOneAndThreeKeepsTheOthersInOrder) {
    loadFive();
    TMPreForm* viewer = program->windows().MPreForm;
    viewer->show();
    selectLines({1, 3});
    main().MotoListBoxMouseUp();
    main().ui().DMotoButton->click();
    const std::vector<std::string> left{"f0.bmp", "f2.bmp", "f4.bmp"};
    EXPECT_EQ(lines(), left);
    EXPECT_EQ(depths(), (std::vector<int>{0, 2, 5}));
    EXPECT_EQ(items(viewer->MotoBox), left);
    EXPECT_EQ(main().lists().sources.size(), 3);
    EXPECT_FALSE(viewer->isVisible());
    // nothing is selected now: the reduce and delete commands go off
    EXPECT_FALSE(main().ui().G1->isEnabled());
    EXPECT_FALSE(main().ui().GenButton->isEnabled());
    EXPECT_FALSE(main().ui().DMotoButton->isEnabled());
}

TEST_F(DeleteTest, DeletingTheLongestNameShrinksTheExtent) {
    const std::string longName = std::string(50, 'm') + ".bmp";
    main().DropFiles({bmp("a.bmp"), bmp(longName), bmp("medium-name.bmp")});
    const int wide = main().ListExtent;
    selectLines({1});
    main().D1Click();
    QFontMetrics fm(main().ui().MotoListBox->font());
    const int want = fm.horizontalAdvance(QStringLiteral("medium-name.bmp")) + 22;
    EXPECT_LT(want, wide);
    EXPECT_EQ(main().ListExtent, want);
    EXPECT_EQ(main().ui().MotoListBox->horizontalExtent(), want);
}

TEST_F(DeleteTest, DeletingNothingStillRunsTheDisablingRule) {
    loadFive();
    selectLines({0});
    main().MotoListBoxMouseUp();
    main().ui().MotoListBox->clearSelection();
    main().D1Click();
    EXPECT_EQ(main().lists().sources.size(), 5);
    EXPECT_FALSE(main().ui().DMotoButton->isEnabled());
    EXPECT_FALSE(main().ui().G1->isEnabled());
}

TEST_F(DeleteTest, ResultsOfADeletedSourceStay) {
    loadFive();
    addResultRow("f0.bmp");
    selectLines({0});
    main().D1Click();
    EXPECT_EQ(main().lists().results.size(), 1);
    EXPECT_EQ(rows(), std::vector<std::string>{"f0.bmp"});
}

TEST_F(DeleteTest, DeletingTheOnlyResultDisablesTheSixButtonsAndHidesItsViewer) {
    addResultRow("r.bmp");
    const SecondaryWindows& w = program->windows();
    w.GPreForm->show();
    w.PPreForm->show();
    main().ui().GenListView->topLevelItem(0)->setSelected(true);
    main().GenListViewMouseUp();
    ASSERT_TRUE(main().ui().Save1Button->isEnabled());
    main().ui().DGenButton->click();
    EXPECT_EQ(main().lists().results.size(), 0);
    EXPECT_TRUE(main().lists().results.empty());
    EXPECT_TRUE(rows().empty());
    for (QWidget* b : std::initializer_list<QWidget*>{
             main().ui().DGenButton, main().ui().PalButton, main().ui().Save1Button,
             main().ui().Save2Button, main().ui().Save3Button, main().ui().Save4Button})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_FALSE(w.GPreForm->isVisible());
    EXPECT_TRUE(w.PPreForm->isVisible());  // the palette viewer stays
}

TEST_F(DeleteTest, DeletingResultZeroOfTwoKeepsSelectorsInStep) {
    addResultRow("r0.bmp");
    addResultRow("r1.bmp");
    main().ui().GenListView->topLevelItem(0)->setSelected(true);
    main().D2Click();
    EXPECT_EQ(rows(), std::vector<std::string>{"r1.bmp"});
    EXPECT_EQ(resultPaths(), std::vector<std::string>{"r1.bmp"});
    EXPECT_EQ(items(program->windows().GPreForm->GenBox), std::vector<std::string>{"r1.bmp"});
    EXPECT_EQ(items(program->windows().PPreForm->PalBox), std::vector<std::string>{"r1.bmp"});
}

TEST_F(DeleteTest, SelectedRowLeftAfterDeleteKeepsButtonsOn) {
    addResultRow("r0.bmp");
    addResultRow("r1.bmp");
    addResultRow("r2.bmp");
    main().ui().GenListView->topLevelItem(1)->setSelected(true);
    main().GenListViewMouseUp();
    main().D2Click();
    EXPECT_EQ(rows(), (std::vector<std::string>{"r0.bmp", "r2.bmp"}));
    // the list view may move the selection on by itself; the rule follows it
    EXPECT_EQ(main().ui().DGenButton->isEnabled(), main().selectedRows() > 0);
}

}  // namespace
