#pragma once
// What the source and the result viewer share: one window showing one entry
// of an image list, at natural size (one screen pixel per image pixel) when
// the entry is shown.
//
// The window is sized to the image (a client area of at most 640 x 480)
// and centred at every show. A navigation strip (Panel1: the arrows and
// the selector) floats over the image's top-left corner and is shown only
// while the mouse is within its height of the top; an image lower than the
// strip keeps it shown above itself. Scroll bars come on after the first
// paint, so sizing never sees them.
//
// The image may be zoomed (menu "表示", Ctrl + the wheel about the mouse,
// Ctrl++, Ctrl+-, Ctrl+0) through the steps of viewers/zoom.h, or fitted to
// the window; the window keeps its size, and the caption shows the zoom
// when it is not 100 %. The result viewer can show a result's source image
// in its place (before and after) while Space is held or its menu item is
// ticked.

#include <QImage>
#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>

#include "reduce/work_area.h"
#include "viewers/glyph_combo.h"
#include "viewers/image_view.h"
#include "widgets/list_mirrors.h"
#include "worklists/work_list.h"

class QAction;
class QFrame;
class QMenu;
class QMenuBar;
class QKeyEvent;
class QToolButton;
class QWheelEvent;

namespace kararisu {

class Platform;

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
    QMenu* V1;              // "表示(&V)"
    QAction* Z1;            // "拡大(&I)", Ctrl++
    QAction* Z2;            // "縮小(&O)", Ctrl+-
    QAction* Z3;            // "等倍(&N)", Ctrl+0
    QAction* Z4;            // "ウィンドウに合わせる(&W)"
    QAction* B1 = nullptr;  // "元絵と比べる(&B)", where the viewer offers it
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

    // The zoom commands. Steps keep the image point under the mouse where
    // it is (under the middle of the client area when the mouse is not over
    // it); natural size and the fit keep the middle. The fit follows the
    // window's size until another zoom or entry is chosen.
    void zoomIn();
    void zoomOut();
    void zoomNatural();
    void zoomToFit();
    // The zoom, keeping the image point under anchor (client coordinates).
    void zoomAbout(double zoom, QPoint anchor);
    double zoom() const { return Picture->zoom(); }
    bool fitting() const { return fitting_; }

    // Before and after: the shown result's source image in its place, at the
    // same zoom and scroll; held by Space, latched by B1.
    bool canCompare() const;
    bool comparing() const { return Picture->showingStandIn(); }

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
    // Adds B1 to the view menu: the viewer's entries may have a source image.
    void offerComparison();

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
    bool isKeyPart(const QObject* o) const;
    void relayout();
    void placeImage(QPoint at);
    void showStrip();
    void hideStrip();
    void mouseMovedOver(QWidget* source, QPoint position);
    void firstPaint();
    // Image viewer zoom (image_viewer_zoom.cpp).
    void buildViewMenu();
    void setCaption(const QString& caption);
    void updateCaption();
    void updateViewActions();
    void resetView();
    QPoint zoomAnchor() const;
    bool wheelZoom(QWidget* source, QWheelEvent* event);
    bool spaceKey(QKeyEvent* event);
    void applyComparison();
    void layOut(bool backToCorner);

    const GlyphList& glyphs_;
    QString prefix_;
    std::shared_ptr<const Bitmap> viewBitmap_;  // ViewBitmap: the shown entry's
    std::shared_ptr<const Bitmap> original_;    // the shown result's source image, or none
    QSize sized_{246, 216};                     // the window's size as the viewer last set it
    QString caption_;                           // the caption without the zoom
    bool painted_ = false;
    bool layingOut_ = false;
    bool fitting_ = false;
    bool spaceHeld_ = false;
    int wheelAngle_ = 0;  // the wheel's turn not yet used for a step
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
