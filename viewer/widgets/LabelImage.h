#pragma once

#include <QCursor>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QRect>

#include <functional>

#include "LabelImageGeometry.h"

class QRubberBand;

// Shows one colourised image scaled into the label and lets the user point at pixels:
// hover reports the pixel under the mouse, a click selects one (drawn with a cross-hair),
// modifier drags draw a rectangle, a horizontal line or a band.
class LabelImage : public QLabel {
    Q_OBJECT
public:
    explicit LabelImage(QWidget* parent = nullptr);
    ~LabelImage() override;

    void setImage(const QImage& image);
    void setMirror(bool horizontal, bool vertical, bool rotate);
    void clearPixelSelection();
    void clearAll();

    // Saves the shown pixmap with its overlays; ".png" is appended unless the name has it.
    bool saveShownImage(const QString& fileName) const;
    // Replaces the save dialog (tests, scripted use); an empty result cancels.
    void setSaveFileNameProvider(std::function<QString()> provider);

    // Modes that act as if the modifier were held.
    void setStickyPixel(bool on) { stickyPixel = on; }
    void setStickyLine(bool on) { stickyLine = on; }
    void setStickyRect(bool on) { stickyRect = on; }
    void setStickyBand(bool on) { stickyBand = on; }

    const QImage& shownSourceImage() const { return image; }
    QPixmap shownPixmap() const { return shown; }
    vantory::view::ViewGeometry geometryInfo() const;
    bool hasSelectedPixel() const { return pixelSelected; }
    QPoint selectedPixel() const { return QPoint(selX, selY); }
    bool isLineShown() const { return lineShown; }
    bool isRectShown() const { return rectShown; }
    QRect selectedRect() const { return rectSel; }
    QRect selectedLine() const { return lineSel; }
    bool isRotated() const { return rotated; }
    bool isMirroredHorizontally() const { return mirrorH; }
    bool isMirroredVertically() const { return mirrorV; }

signals:
    void mouseChanged(double x, double y);
    void mouseDoubleClick();
    void infoSelected(int x, int y);
    void timescopeSelected(int x1, int x2, int y1, int y2);
    void pixelscopeSelected(int x1, int x2, int y1, int y2);
    void regionSelected(int x1, int x2, int y1, int y2);
    void mouseHover(int x, int y);
    void pixelInfoSelectionCleared(bool state);
    void pixelScopeSelectionCleared(bool state);
    void timeScopeSelectionCleared(bool state);
    void mouseOutOfRange();
    void clearPixelInfo();
    void clearRubberBandRect();
    void clearRubberBandLine();
    void setRoiDefault();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void repaintImage();
    void drawOverlays(QPixmap& pixmap) const;
    void finishLeftGesture(const QPoint& pos);
    void finishRightGesture(Qt::KeyboardModifiers modifiers);
    void emitSelectionsCleared();
    void saveWithDialog();
    void hideBands();
    void applyMirror();
    static QPixmap loadCrosshair();

    QImage source;   // the image as given
    QImage image;    // the same, mirrored by the mirror flags
    QPixmap shown;           // the scaled pixmap with its overlays, as last set
    QPixmap crosshair;
    QRubberBand* lineBand = nullptr;
    QRubberBand* rectBand = nullptr;
    QRect rectSel;   // last finished rectangle, image pixels
    QRect lineSel;   // last finished line, image pixels
    int selX = 0;
    int selY = 0;
    bool pixelSelected = false;
    bool lineShown = false;
    bool rectShown = false;
    bool pixelPending = false;
    bool rectDragging = false;
    bool bandDragging = false;
    bool lineDragging = false;
    bool pressAccepted = false;
    bool stickyPixel = false;
    bool stickyLine = false;
    bool stickyRect = false;
    bool stickyBand = false;
    int x1 = 0;
    int x2 = 0;
    int y1 = 0;
    int y2 = 0;
    int startX = 0;
    int startY = 0;
    int curX = 0;
    int curY = 0;
    int imageW = 0;
    int imageH = 0;
    int shownW = 0;
    int shownH = 0;
    bool mirrorH = false;
    bool mirrorV = false;
    bool rotated = true;
    QCursor crossCursor;
    std::function<QString()> saveFileNameProvider;
};
