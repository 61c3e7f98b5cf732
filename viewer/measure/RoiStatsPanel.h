// The ROI statistics panel: a table of the figures of distance, amplitude and
// reflectivity inside the rectangle, and its buttons (draw a rectangle, whole frame,
// copy as CSV).
#pragma once

#include <QWidget>

#include "FrameMeasures.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace vantory::measure {

class RoiStatsPanel : public QWidget {
    Q_OBJECT
public:
    explicit RoiStatsPanel(QWidget* parent = nullptr);

    void showStatistics(const RoiStatistics& statistics);
    const RoiStatistics& shownStatistics() const { return shown_; }
    QTableWidget* table() const { return table_; }
    QPushButton* drawButton() const { return draw_; }
    // Puts the shown figures on the clipboard as CSV.
    void copyAsCsv();

signals:
    void wholeFrameRequested();

private:
    QTableWidget* table_ = nullptr;
    QLabel* roiLabel_ = nullptr;
    QPushButton* draw_ = nullptr;
    RoiStatistics shown_;
};

}  // namespace vantory::measure
