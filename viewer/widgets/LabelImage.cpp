#include "LabelImage.h"

#include <QEnterEvent>
#include <QFileDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QTransform>

#include <algorithm>

#include "LabelImageConstants.h"

using namespace vantory::view;

// Resources of a static library must be registered explicitly.
static void initWidgetResources()
{
    Q_INIT_RESOURCE(widgets);
}

namespace {

constexpr Qt::KeyboardModifiers kGestureModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;

void setBandColor(QRubberBand* band, const QColor& color)
{
    QPalette palette = band->palette();
    palette.setBrush(QPalette::Highlight, QBrush(color));
    band->setPalette(palette);
}

void orderPair(int& a, int& b)
{
    if (a > b)
        std::swap(a, b);
}

}  // namespace

LabelImage::LabelImage(QWidget* parent)
    : QLabel(parent),
      lineBand(new QRubberBand(QRubberBand::Line, this)),
      rectBand(new QRubberBand(QRubberBand::Rectangle, this))
{
    initWidgetResources();
    crosshair = loadCrosshair();
    crossCursor = QCursor(crosshair, crosshair.width() / 2, crosshair.height() / 2);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, true);
    setAlignment(Qt::AlignCenter);
    // The pixmap follows the widget size, so it must not drive the layout.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setMinimumSize(1, 1);
    lineBand->hide();
    rectBand->hide();
}

LabelImage::~LabelImage() = default;

QPixmap LabelImage::loadCrosshair()
{
    QPixmap pixmap(kCrosshairResource);
    if (!pixmap.isNull())
        return pixmap;
    // Drawn replacement when the resource is unavailable.
    pixmap = QPixmap(kCrosshairFallbackSize, kCrosshairFallbackSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(overlayColor(), 1));
    const int c = kCrosshairFallbackSize / 2;
    painter.drawLine(2, c, c - 3, c);
    painter.drawLine(c + 3, c, kCrosshairFallbackSize - 3, c);
    painter.drawLine(c, 2, c, c - 3);
    painter.drawLine(c, c + 3, c, kCrosshairFallbackSize - 3);
    return pixmap;
}

ViewGeometry LabelImage::geometryInfo() const
{
    ViewGeometry g;
    g.widgetW = width();
    g.widgetH = height();
    g.shownW = shownW;
    g.shownH = shownH;
    g.imageW = imageW;
    g.imageH = imageH;
    g.mirrorH = mirrorH;
    g.mirrorV = mirrorV;
    return g;
}

void LabelImage::setImage(const QImage& newImage)
{
    source = newImage;
    imageW = newImage.width();
    imageH = newImage.height();
    applyMirror();
    repaintImage();
}

void LabelImage::applyMirror()
{
    image = (mirrorH || mirrorV) ? source.mirrored(mirrorH, mirrorV) : source;
}

void LabelImage::setMirror(bool horizontal, bool vertical, bool rotate)
{
    mirrorH = horizontal;
    mirrorV = vertical;
    rotated = rotate;
    // Re-mirror the current image so that the picture and the coordinates agree
    // before the next image arrives.
    applyMirror();
    if (rotate) {
        emit infoSelected(0, 0);
        pixelSelected = false;
        lineShown = false;
        rectShown = false;
        emitSelectionsCleared();
    }
    repaintImage();
}

void LabelImage::clearPixelSelection()
{
    pixelSelected = false;
    repaintImage();
}

void LabelImage::clearAll()
{
    pixelSelected = false;
    lineShown = false;
    rectShown = false;
    emitSelectionsCleared();
    repaintImage();
}

void LabelImage::emitSelectionsCleared()
{
    emit pixelInfoSelectionCleared(false);
    emit pixelScopeSelectionCleared(false);
    emit timeScopeSelectionCleared(false);
}

void LabelImage::repaintImage()
{
    if (image.isNull())
        return;
    QPixmap pixmap = QPixmap::fromImage(image).scaled(size(), Qt::KeepAspectRatio,
                                                      Qt::SmoothTransformation);
    shownW = pixmap.width();
    shownH = pixmap.height();
    drawOverlays(pixmap);
    if (rotated) {
        pixmap = pixmap.transformed(QTransform().rotate(kRotationDegrees))
                     .scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    shown = pixmap;
    setPixmap(pixmap);
}

void LabelImage::drawOverlays(QPixmap& pixmap) const
{
    if (!pixelSelected && !lineShown && !rectShown)
        return;
    const ViewGeometry g = geometryInfo();
    QPainter painter(&pixmap);
    painter.setPen(QPen(overlayColor(), kOverlayPenWidth));
    if (pixelSelected) {
        painter.drawPixmap(g.pixmapX(selX) - crosshair.width() / 2,
                           g.pixmapY(selY) - crosshair.height() / 2, crosshair);
    }
    if (lineShown) {
        const int y = g.pixmapY(lineSel.top());
        painter.drawLine(g.pixmapX(lineSel.left()), y, g.pixmapX(lineSel.right()), y);
    }
    if (rectShown) {
        painter.drawRect(QRect(QPoint(g.pixmapX(rectSel.left()), g.pixmapY(rectSel.top())),
                               QPoint(g.pixmapX(rectSel.right()), g.pixmapY(rectSel.bottom())))
                             .normalized());
    }
}

void LabelImage::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    repaintImage();
}

void LabelImage::enterEvent(QEnterEvent* event)
{
    setCursor(crossCursor);
    QLabel::enterEvent(event);
}

void LabelImage::leaveEvent(QEvent* event)
{
    emit mouseOutOfRange();
    QLabel::leaveEvent(event);
}

void LabelImage::mouseDoubleClickEvent(QMouseEvent*)
{
    emit mouseDoubleClick();
}

void LabelImage::mousePressEvent(QMouseEvent* event)
{
    pressAccepted = false;
    if (event->button() != Qt::LeftButton || rotated)
        return;
    const QPoint pos = event->position().toPoint();
    if (!geometryInfo().inside(pos))
        return;
    pressAccepted = true;
    startX = curX = x1 = x2 = pos.x();
    startY = curY = y1 = y2 = pos.y();

    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const bool shift = mods & Qt::ShiftModifier;
    if ((ctrl && alt) || stickyLine) {
        lineDragging = true;
        setBandColor(lineBand, Qt::white);
        emit clearRubberBandLine();
    } else if (ctrl || stickyPixel) {
        pixelPending = true;
        emit clearPixelInfo();
    } else if (alt || stickyRect) {
        rectDragging = true;
        setBandColor(rectBand, Qt::red);
        rectBand->setGeometry(QRect(pos, QSize()));
        rectBand->show();
        emit clearRubberBandRect();
    } else if (shift || stickyBand) {
        bandDragging = true;
        setBandColor(rectBand, Qt::green);
    }
}

void LabelImage::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    curX = pos.x();
    curY = pos.y();
    const QRect widgetArea(0, 0, width(), height());
    const ViewGeometry g = geometryInfo();

    if (lineDragging) {
        x1 = startX;
        x2 = curX;
        y1 = y2 = startY;
        const QRect band =
            QRect(QPoint(std::min(x1, x2), startY), QPoint(std::max(x1, x2), startY + kLineHeight - 1));
        lineBand->setGeometry(band.intersected(widgetArea));
        lineBand->show();
    } else if (rectDragging) {
        x1 = startX;
        y1 = startY;
        x2 = curX;
        y2 = curY;
        rectBand->setGeometry(QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized().intersected(widgetArea));
        rectBand->show();
    } else if (bandDragging) {
        // The band is symmetric about the widget's middle row.
        const int top = g.top();
        const int startRow = std::clamp(startY, top, top + std::max(g.shownH - 1, 0));
        x1 = startX;
        x2 = curX;
        y1 = startRow;
        y2 = height() - startRow;
        rectBand->setGeometry(QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized());
        rectBand->show();
    }

    if (g.inside(pos)) {
        if (!rotated)
            emit mouseHover(g.column(pos.x()), g.row(pos.y()));
    } else {
        emit mouseOutOfRange();
    }
    emit mouseChanged(g.relativeX(pos.x()), g.relativeY(pos.y()));
}

void LabelImage::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (!rotated && pressAccepted)
            finishLeftGesture(pos);
    } else if (event->button() == Qt::RightButton) {
        finishRightGesture(event->modifiers());
    }
    pressAccepted = false;
    pixelPending = rectDragging = bandDragging = lineDragging = false;
    hideBands();
    repaintImage();
}

void LabelImage::finishLeftGesture(const QPoint& pos)
{
    const ViewGeometry g = geometryInfo();
    if (rectDragging) {
        x1 = g.column(x1);
        x2 = g.column(x2);
        y1 = g.row(y1);
        y2 = g.row(y2);
        orderPair(x1, x2);
        orderPair(y1, y2);
        rectSel = QRect(QPoint(x1, y1), QPoint(x2, y2));
        rectShown = true;
        emit timescopeSelected(x1, x2, y1, y2);
    } else if (lineDragging) {
        x1 = g.column(x1);
        x2 = g.column(x2);
        orderPair(x1, x2);
        const int y = g.row(startY);
        y1 = y2 = y;
        lineSel = QRect(x1, y, x2 - x1 + 1, kLineHeight);
        lineShown = true;
        emit pixelscopeSelected(x1, x2, y, y);
    } else if (bandDragging) {
        x1 = g.column(x1);
        x2 = g.column(x2);
        y1 = g.row(y1);
        y2 = g.row(y2);
        orderPair(x1, x2);
        orderPair(y1, y2);
        emit regionSelected(x1, x2, y1, y2);
    } else if (g.inside(pos)) {
        // A pending pixel or a plain click; a release outside the image selects nothing.
        selX = g.column(pos.x());
        selY = g.row(pos.y());
        pixelSelected = true;
        emit infoSelected(selX, selY);
    }
}

void LabelImage::finishRightGesture(Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = modifiers & kGestureModifiers;
    if (held == (Qt::ControlModifier | Qt::AltModifier)) {
        lineShown = false;
        emit pixelScopeSelectionCleared(false);
    } else if (held == (Qt::ShiftModifier | Qt::AltModifier)) {
        saveWithDialog();
    } else if (held == Qt::ControlModifier) {
        pixelSelected = false;
        emit pixelInfoSelectionCleared(false);
    } else if (held == Qt::AltModifier) {
        rectShown = false;
        emit timeScopeSelectionCleared(false);
    } else {
        pixelSelected = false;
        lineShown = false;
        rectShown = false;
        emitSelectionsCleared();
    }
}

void LabelImage::hideBands()
{
    lineBand->hide();
    rectBand->hide();
}

void LabelImage::setSaveFileNameProvider(std::function<QString()> provider)
{
    saveFileNameProvider = std::move(provider);
}

void LabelImage::saveWithDialog()
{
    const QString name = saveFileNameProvider
                             ? saveFileNameProvider()
                             : QFileDialog::getSaveFileName(this, QString::fromUtf8(kSaveDialogTitle),
                                                            QString(), QString::fromUtf8(kSaveFilter));
    if (!name.isEmpty())
        saveShownImage(name);
}

bool LabelImage::saveShownImage(const QString& fileName) const
{
    if (shown.isNull() || fileName.isEmpty())
        return false;
    QString target = fileName;
    if (!target.contains(QLatin1String(kPngSuffix)))
        target += QLatin1String(kPngSuffix);
    return shown.save(target, "PNG");
}
