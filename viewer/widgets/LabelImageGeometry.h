#pragma once

#include <QPoint>
#include <QRect>

namespace vantory::view {

// How an image of imageW x imageH is shown: scaled to shownW x shownH, keeping its
// aspect ratio, centred in a widget of widgetW x widgetH, optionally mirrored.
struct ViewGeometry {
    int widgetW = 0;
    int widgetH = 0;
    int shownW = 0;
    int shownH = 0;
    int imageW = 0;
    int imageH = 0;
    bool mirrorH = false;
    bool mirrorV = false;

    bool valid() const { return shownW > 0 && shownH > 0 && imageW > 0 && imageH > 0; }
    int left() const;   // widget x of the shown image's left edge
    int top() const;    // widget y of its top edge
    QRect shownRect() const;

    bool inside(const QPoint& widgetPos) const;
    // Widget coordinates to image column / row, undoing the mirroring. The result is
    // always a valid column / row (clamped), so extents dragged past the image stay usable.
    int column(int widgetX) const;
    int row(int widgetY) const;
    // Image column / row to the pixel in the shown (scaled, mirrored) pixmap.
    int pixmapX(int column) const;
    int pixmapY(int row) const;
    // Position relative to the shown image (0..1, flipped when mirrored), -1 outside.
    double relativeX(int widgetX) const;
    double relativeY(int widgetY) const;
};

}  // namespace vantory::view
