#pragma once
// What the source and the result viewer share: one window showing one entry
// of an image list at natural size, one screen pixel per image pixel.
//
// The window is sized to the image (a client area of at most 640 x 480)
// and centred at every show. A navigation strip (Panel1: the arrows and
// the selector) floats over the image's top-left corner and is shown only
// while the mouse is within its height of the top; an image lower than the
// strip keeps it shown above itself. Scroll bars come on after the first
// paint, so sizing never sees them.

#include <QBrush>
#include <QImage>
#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>

#include "reduce/work_area.h"
#include "viewers/glyph_combo.h"
#include "widgets/list_mirrors.h"
#include "worklists/work_list.h"

class QAction;
class QFrame;
class QMenu;
class QMenuBar;
class QToolButton;

namespace kararisu {

class Platform;

// The image itself: paints the exposed part of its picture and nothing else.
class ImageView : public QWidget {
  public:
    explicit ImageView(QWidget* parent);
    void setImage(QImage image);
    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    static const QBrush& checkerboard();
    QImage image_;
};

class ImageViewer : public QWidget {
    Q_OBJECT
  public:
    // The strip's width and height.
    static constexpr int PW = 195;
    static constexpr int PH = 27;

    QMenuBar* MainMenu1;
    QMenu* C1;
    QAction* U1;
    QAction* D1;
    QAction* C2;
    QAction* Close1;
    QAction* I1;
    QScrollArea* ScrollBox;  // the client area
    ImageView* Picture;      // MPreImage / GPreImage
    QFrame* Panel1;
    QToolButton* UpButton;
    QToolButton* DownButton;
    GlyphComboBox* Selector;  // MotoBox / GenBox

    // The main window's opener: hides the window, shows entry k with the
    // caption prefix followed by the entry's name, selects it and shows the
    // window again. Nothing happens for a k outside the list.
    void openEntry(int k, const QString& prefix);

    // Makes entry k the shown one and sizes the window to it.
    void ShowEntry(int k);
    // The arrows by the list's length and the selector's index: none with
    // one image (or none), no up on the first, no down on the last.
    virtual void UpdateButtons();

    void UpButtonClick();
    void DownButtonClick();
    virtual void C1Click();
    virtual void C2Click();
    virtual void I1Click();

    // CW x CH: the client area without the scroll bars.
    QSize clientSize() const;
    // The part of the window below the menu bar, scroll bars included.
    QSize areaSize() const;
    // Where the image sits in the scrolled content.
    QPoint imagePosition() const;
    // The first paint since the last ShowEntry has happened.
    bool painted() const { return painted_; }

    // Tests decide which buffers of the colour count are granted.
    void setMemoryHook(WorkArea::Hook hook) { memoryHook_ = std::move(hook); }

  protected:
    // objectName and the caption until an entry is shown, and the caption
    // prefix of the viewer's own navigation.
    ImageViewer(Platform& platform, const GlyphList& glyphs, const QString& name,
                const QString& prefix);

    virtual int count() const = 0;
    virtual const ImageEntry& entryAt(int k) const = 0;
    // A left click on the image or on the bare client area.
    virtual void clicked() {}
    // A press on the caption bar (where the platform reports it), the menu
    // bar or a scroll bar.
    virtual void framePressed() {}

    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    Platform& platform_;

  private:
    void showEntry(int k, bool select);
    std::pair<bool, bool> arrows() const;  // up, down
    void placeChildren();
    void setClientSize(int width, int height);
    void applyMinimum();
    void setScrolling(bool on);
    bool isClientPart(const QObject* o) const;
    void relayout();
    void placeImage(QPoint at);
    void showStrip();
    void hideStrip();
    void mouseMovedOver(QWidget* source, QPoint position);
    void firstPaint();

    const GlyphList& glyphs_;
    QString prefix_;
    std::shared_ptr<const Bitmap> viewBitmap_;  // ViewBitmap: the shown entry's
    QSize sized_{246, 216};                     // the window's size as the viewer last set it
    bool painted_ = false;
    bool layingOut_ = false;
    WorkArea::Hook memoryHook_;
};

// An image viewer over one of the image lists, its selector a mirror of it.
template <typename List>
class ImageViewerOf : public ImageViewer {
  public:
    ImageViewerOf(List& list, Platform& platform, const GlyphList& glyphs, const QString& name,
                  const QString& prefix);
    ~ImageViewerOf() override { Selector->disconnect(this); }
    ImageViewerOf(const ImageViewerOf&) = delete;
    ImageViewerOf& operator=(const ImageViewerOf&) = delete;

  protected:
    int count() const override { return list_.size(); }
    const ImageEntry& entryAt(int k) const override { return list_.at(k); }

  private:
    List& list_;
    std::unique_ptr<ComboMirror<List>> selector_;
};

template <typename List>
ImageViewerOf<List>::ImageViewerOf(List& list, Platform& platform, const GlyphList& glyphs,
                                   const QString& name, const QString& prefix)
    : ImageViewer(platform, glyphs, name, prefix), list_(list) {
    // Entries listed before this window existed fill the selector at once.
    selector_ = std::make_unique<ComboMirror<List>>(list_, Selector, [this] { UpdateButtons(); });
    QObject::connect(Selector, &QComboBox::currentIndexChanged, this, [this] { UpdateButtons(); });
}

}  // namespace kararisu
