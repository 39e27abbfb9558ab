#pragma once
// The palette merge dialog, created hidden at start-up: base and plus
// palettes chosen from PaletteList (both list boxes mirror it) and one of
// the three ways of pairing them. The merge command reads the choice after
// the dialog closed with OK.

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "palette/merge_engines.h"
#include "palette/palette_list_box.h"

namespace kararisu {

class Platform;

class TPalAddDlg : public QDialog {
    Q_OBJECT
  public:
    // glyphs: the main window's ImageList1; platform: the incomplete-choice
    // message and the palette file dialog.
    TPalAddDlg(PaletteList& palettes, const GlyphList& glyphs, Platform& platform,
               QWidget* parent = nullptr);

    // Each list box's horizontal scroll extent: its widest item text + 84.
    void setScrollExtents();

    // The choice, read after the dialog closed with OK.
    MergeMode mode() const;
    std::vector<int> chosenBases() const { return BasePalListBox->selectedRows(); }
    std::vector<int> chosenPluses() const { return PlusPalListBox->selectedRows(); }
    // Whether the selections make a complete choice for the checked mode.
    bool choiceComplete() const;

    QLabel* TitleLabel;
    QFrame* Bevel1;
    QFrame* Bevel3;
    QFrame* Bevel4;
    QFrame* Bevel2;
    QFrame* Bevel5;
    QLabel* BaseLabel;
    PaletteListBox* BasePalListBox;
    QLabel* PlusLabel;
    PaletteListBox* PlusPalListBox;
    QLabel* MenuLabel;
    QRadioButton* MenuButton1;
    QRadioButton* MenuButton2;
    QRadioButton* MenuButton3;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QPushButton* LoadButton;
    QPushButton* OkButton;
    QPushButton* CancelButton;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void MenuButton1Click();
    void MenuButton2Click();
    void MenuButton3Click();
    void LoadButtonClick();
    void OkButtonClick();
    void CancelButtonClick();
    void chooseMode(QAbstractItemView::SelectionMode base, QAbstractItemView::SelectionMode plus);

    PaletteList& palettes_;
    Platform& platform_;
};

// The message at OK when the choice is incomplete.
Message incompleteChoiceMessage();

}  // namespace kararisu
