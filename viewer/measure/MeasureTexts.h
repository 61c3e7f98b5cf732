// Texts of the measurement panels: the link-health rows and the ROI table as CSV.
#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

#include "FrameMeasures.h"
#include "analysis/LinkHealth.h"

namespace vantory::measure {

// Caption and value of each link-health row, in display order.
std::vector<std::pair<QString, QString>> linkHealthRows(const analysis::LinkHealthFigures& figures);

// Column captions of the ROI table (after the plane's name).
QStringList roiColumns();
// Cells of one plane's row: valid share %, mean, median, std, min, max, temporal noise;
// empty cells where the plane or the value is missing.
QStringList roiCells(const PlaneFigures& plane);
// The whole table as CSV: a header line, then one line per plane, with the ROI and the
// noise frames in the header so that pasted figures keep their context.
QString roiCsv(const RoiStatistics& statistics);

}  // namespace vantory::measure
