#pragma once
// The reduction settings dialog, created hidden at start-up and shown modally
// before every reduction run. It mirrors TargetList (TargetBox) and
// PaletteList (PaletteBox), writes ColorCount and SchemeName into the
// settings it is given, and leaves the mode, the menu and the chosen
// reference image or palette in its controls for the run to read.

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "reduce/engines.h"
#include "reduce/modes.h"
#include "widgets/glyphs.h"
#include "widgets/list_mirrors.h"

class QLabel;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace kararisu {

class Platform;
class GlyphChoiceBox;
class UpDown;

class TGenSetDlg : public QDialog {
    Q_OBJECT
  public:
    // settings: the main window's ColorCount and SchemeName (and the mode).
    // glyphs: the depth and origin glyphs drawn in the two lists.
    TGenSetDlg(TargetList& targets, PaletteList& palettes, ReductionSettings& settings,
               const GlyphList& glyphs, Platform& platform, QWidget* parent = nullptr);
    ~TGenSetDlg() override;

    // Shows the dialog modally; selectedImages is the number of lines
    // selected in the "before" list. True when it closed with OK.
    bool execute(int selectedImages);

    ReductionMenu reductionMenu() const;
    int reductionMode() const;
    int referenceIndex() const;  // the TargetBox item, -1 for none
    int paletteIndex() const;    // the PaletteBox item, -1 for none

    // --- the controls, named as on the form
    QLabel* TitleLabel;
    QFrame* Bevel1;
    QFrame* Bevel2;
    QFrame* Bevel3;
    QFrame* Bevel5;
    QLabel* ColorLabel;
    QComboBox* ColorBox;
    QLabel* ColorsLabel;
    QLineEdit* Edit1;
    UpDown* UpDown1;
    QLabel* RangeLabel;
    QLabel* MenuLabel;
    QRadioButton* MenuButton1;
    QRadioButton* MenuButton2;
    QRadioButton* MenuButton3;
    QStackedWidget* PageControl1;
    QWidget* SetTab1;
    QWidget* SetTab2;
    QLabel* Label1;
    GlyphChoiceBox* TargetBox;
    QLabel* PaletteLabel;
    GlyphChoiceBox* PaletteBox;
    QPushButton* LoadButton;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    // --- handlers, public so that tests can run each rule as the form does
    void ColorBoxChange();
    void MenuButtonClick(ReductionMenu menu);
    void LoadButtonClick();
    void OKButtonClick();
    void CancelButtonClick();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void FormShow();
    void Edit1Enter();
    bool isFreeMode() const;
    // The free count checked against the mode's range; an out-of-range
    // number becomes the mode's maximum in Edit1. Nothing when the text is
    // no number (after the error has been shown).
    std::optional<int> checkedFreeCount(bool atOk);

    TargetList& targets_;
    PaletteList& palettes_;
    ReductionSettings& settings_;
    Platform& platform_;
    const GlyphList& glyphs_;
    int selectedImages_ = 0;
    std::unique_ptr<ComboMirror<TargetList>> targetItems_;
    std::unique_ptr<ComboMirror<PaletteList>> paletteItems_;
};

// Edit1's text as a count: decimal digits with an optional sign, spaces
// around allowed; nothing for anything else.
std::optional<int> parseCount(const QString& text);

}  // namespace kararisu
