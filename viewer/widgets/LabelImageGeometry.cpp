#include "LabelImageGeometry.h"

#include <algorithm>

namespace vantory::view {

namespace {

int toImage(int pos, int offset, int shown, int size, bool mirrored)
{
    if (shown <= 0 || size <= 0)
        return 0;
    const double ratio = std::min(double(pos - offset) / double(shown), 1.0);
    // Clamped: the right / bottom edge would otherwise give size, and a point left
    // of the image a negative index.
    const int index = std::clamp(int(ratio * size), 0, size - 1);
    return mirrored ? size - 1 - index : index;
}

int toPixmap(int index, int shown, int size, bool mirrored)
{
    if (size <= 0)
        return 0;
    const int shownIndex = mirrored ? size - 1 - index : index;
    return std::max(shown / size, 1) / 2 + shown * shownIndex / size;
}

double relative(int pos, int offset, int shown, bool mirrored)
{
    if (shown <= 0 || pos < offset || pos > offset + shown)
        return -1.0;
    const double r = double(pos - offset) / double(shown);
    return mirrored ? 1.0 - r : r;
}

}  // namespace

int ViewGeometry::left() const
{
    return std::max(widgetW - shownW, 0) / 2;
}

int ViewGeometry::top() const
{
    return std::max(widgetH - shownH, 0) / 2;
}

QRect ViewGeometry::shownRect() const
{
    return QRect(left(), top(), shownW, shownH);
}

bool ViewGeometry::inside(const QPoint& widgetPos) const
{
    return valid() && shownRect().contains(widgetPos);
}

int ViewGeometry::column(int widgetX) const
{
    return toImage(widgetX, left(), shownW, imageW, mirrorH);
}

int ViewGeometry::row(int widgetY) const
{
    return toImage(widgetY, top(), shownH, imageH, mirrorV);
}

int ViewGeometry::pixmapX(int column) const
{
    return toPixmap(column, shownW, imageW, mirrorH);
}

int ViewGeometry::pixmapY(int row) const
{
    return toPixmap(row, shownH, imageH, mirrorV);
}

double ViewGeometry::relativeX(int widgetX) const
{
    return relative(widgetX, left(), shownW, mirrorH);
}

double ViewGeometry::relativeY(int widgetY) const
{
    return relative(widgetY, top(), shownH, mirrorV);
}

}  // namespace vantory::view
