// One histogram drawn with QPainter: the bins as bars over the value axis, the share of
// saturated and of weak (low-amplitude) pixels as coloured marks with their figures.
#pragma once

#include <QString>
#include <QWidget>

#include "analysis/Histogram.h"

namespace vantory::measure {

class HistogramView : public QWidget {
    Q_OBJECT
public:
    HistogramView(QString title, QString unit, QWidget* parent = nullptr);

    void showHistogram(const analysis::Histogram& histogram);
    const analysis::Histogram& histogram() const { return histogram_; }
    // The caption line drawn above the bars (tests).
    QString caption() const;

    QSize sizeHint() const override { return {320, 140}; }
    QSize minimumSizeHint() const override { return {160, 90}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    QString unit_;
    analysis::Histogram histogram_;
};

}  // namespace vantory::measure
