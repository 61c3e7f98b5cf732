#include "RoiStatsPanel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "MeasureConstants.h"
#include "MeasureTexts.h"

namespace vantory::measure {

namespace {

const char* const kPlaneNames[] = {"distance (mm)", "amplitude", "reflectivity"};

}  // namespace

RoiStatsPanel::RoiStatsPanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    roiLabel_ = new QLabel(QStringLiteral("Whole frame"), this);
    roiLabel_->setWordWrap(true);
    layout->addWidget(roiLabel_);

    const QStringList columns = roiColumns();
    table_ = new QTableWidget(static_cast<int>(std::size(kPlaneNames)),
                              static_cast<int>(columns.size()), this);
    table_->setHorizontalHeaderLabels(columns);
    QStringList rows;
    for (const char* name : kPlaneNames) rows << QString::fromLatin1(name);
    table_->setVerticalHeaderLabels(rows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int r = 0; r < table_->rowCount(); ++r) {
        for (int c = 0; c < table_->columnCount(); ++c)
            table_->setItem(r, c, new QTableWidgetItem());
    }
    layout->addWidget(table_);

    auto* buttons = new QHBoxLayout();
    draw_ = new QPushButton(QStringLiteral("Draw ROI"), this);
    draw_->setObjectName(QLatin1String(kDrawRoiButton));
    draw_->setCheckable(true);
    draw_->setToolTip(QStringLiteral("Drag a rectangle on an image (or hold Alt while dragging)"));
    auto* whole = new QPushButton(QStringLiteral("Whole Frame"), this);
    whole->setObjectName(QLatin1String(kWholeFrameButton));
    auto* copy = new QPushButton(QStringLiteral("Copy as CSV"), this);
    copy->setObjectName(QLatin1String(kCopyCsvButton));
    buttons->addWidget(draw_);
    buttons->addWidget(whole);
    buttons->addStretch(1);
    buttons->addWidget(copy);
    layout->addLayout(buttons);

    connect(whole, &QPushButton::clicked, this, &RoiStatsPanel::wholeFrameRequested);
    connect(copy, &QPushButton::clicked, this, &RoiStatsPanel::copyAsCsv);
}

void RoiStatsPanel::showStatistics(const RoiStatistics& statistics) {
    shown_ = statistics;
    const analysis::Roi& roi = statistics.roi;
    roiLabel_->setText(
        QStringLiteral("ROI x %1, y %2, %3 x %4 pixels; temporal noise over %5 frames")
            .arg(roi.x)
            .arg(roi.y)
            .arg(roi.width)
            .arg(roi.height)
            .arg(statistics.noiseFrames));
    const PlaneFigures* planes[] = {&statistics.distance, &statistics.amplitude,
                                    &statistics.reflectivity};
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QStringList cells = roiCells(*planes[r]);
        for (int c = 0; c < table_->columnCount() && c < cells.size(); ++c)
            table_->item(r, c)->setText(cells[c]);
    }
}

void RoiStatsPanel::copyAsCsv() {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(roiCsv(shown_));
}

}  // namespace vantory::measure
