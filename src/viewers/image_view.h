#pragma once
// The picture of an image viewer: paints the exposed part of its image at
// the viewer's zoom and nothing else, over a checkerboard of 8-pixel
// squares where the image is transparent. Enlarged, each image pixel is a block
// of whole screen pixels (nearest neighbour), with a grid between them from
// kGridFrom up; reduced, the image is smoothed down once per zoom.
//
// A second image of the same size may stand in for the first (the source
// of a result, for before and after); each keeps its own smoothed copy, so
// flicking between them costs nothing.

#include <QBrush>
#include <QImage>
#include <QWidget>

namespace kararisu {

class ImageView : public QWidget {
  public:
    static constexpr double kGridFrom = 8;

    explicit ImageView(QWidget* parent);

    // The picture; the stand-in goes with the old one.
    void setImage(QImage image);
    // The stand-in, and whether it is shown in the picture's place.
    void setStandIn(QImage image);
    bool hasStandIn() const { return !images_[1].isNull(); }
    void showStandIn(bool on);
    bool showingStandIn() const { return shown_ == 1; }
    const QImage& image() const { return images_[shown_]; }

    // Screen pixels per image pixel; the widget takes the picture's size at
    // that zoom.
    void setZoom(double zoom);
    double zoom() const { return zoom_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    static const QBrush& checkerboard();
    const QImage& reduced();
    void drawEnlarged(QPainter& p, const QRect& exposed);

    QImage images_[2];
    QImage reduced_[2];  // smoothed to the widget's size, made when first painted
    int shown_ = 0;
    double zoom_ = 1;
};

}  // namespace kararisu
