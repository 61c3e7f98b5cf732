#include "HistogramView.h"

#include <QPainter>

#include <algorithm>

namespace vantory::measure {

namespace {

const QColor kBarColor(70, 110, 180);
const QColor kSaturatedColor(169, 14, 255);  // the panes' colour of saturated pixels
const QColor kWeakColor(128, 128, 128);
constexpr int kMargin = 4;
constexpr int kMarkWidth = 8;

}  // namespace

HistogramView::HistogramView(QString title, QString unit, QWidget* parent)
    : QWidget(parent), title_(std::move(title)), unit_(std::move(unit)) {}

void HistogramView::showHistogram(const analysis::Histogram& histogram) {
    histogram_ = histogram;
    update();
}

QString HistogramView::caption() const {
    return QStringLiteral("%1: %2 pixels, saturated %3 %, low amplitude %4 %")
        .arg(title_)
        .arg(histogram_.total)
        .arg(100.0 * histogram_.saturatedShare(), 0, 'f', 1)
        .arg(100.0 * histogram_.lowAmplitudeShare(), 0, 'f', 1);
}

void HistogramView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QColor text = palette().color(QPalette::WindowText);
    painter.setPen(text);
    painter.drawText(kMargin, kMargin + metrics.ascent(), caption());

    // Plot area: below the caption, above the axis texts, right of the two share marks.
    const int top = kMargin + metrics.height() + kMargin;
    const int bottom = height() - kMargin - metrics.height();
    const int left = kMargin + 2 * kMarkWidth + kMargin;
    const int right = width() - kMargin;
    const int plotHeight = bottom - top;
    const int plotWidth = right - left;
    if (plotHeight < 4 || plotWidth < 4) return;

    // Share marks: a column per share, filled to its share of the plot's height.
    const auto mark = [&](int x, double share, const QColor& color) {
        const int filled = static_cast<int>(share * plotHeight + 0.5);
        painter.fillRect(x, bottom - filled, kMarkWidth - 1, filled, color);
        painter.setPen(color);
        painter.drawRect(x, top, kMarkWidth - 2, plotHeight - 1);
    };
    mark(kMargin, histogram_.saturatedShare(), kSaturatedColor);
    mark(kMargin + kMarkWidth, histogram_.lowAmplitudeShare(), kWeakColor);

    painter.setPen(text);
    painter.drawLine(left, bottom, right, bottom);
    const std::size_t bins = histogram_.bins.size();
    if (bins > 0) {
        const std::uint32_t highest =
            *std::max_element(histogram_.bins.begin(), histogram_.bins.end());
        for (std::size_t i = 0; i < bins && highest > 0; ++i) {
            const int x0 = left + static_cast<int>(i * static_cast<std::size_t>(plotWidth) / bins);
            const int x1 =
                left + static_cast<int>((i + 1) * static_cast<std::size_t>(plotWidth) / bins);
            const int h = static_cast<int>(double(histogram_.bins[i]) / highest * plotHeight + 0.5);
            painter.fillRect(x0, bottom - h, std::max(x1 - x0 - 1, 1), h, kBarColor);
        }
    }
    const QString low = QString::number(histogram_.low, 'f', 0);
    const QString high = QString::number(histogram_.high, 'f', 0) + QLatin1Char(' ') + unit_;
    painter.drawText(left, height() - kMargin - metrics.descent(), low);
    painter.drawText(right - metrics.horizontalAdvance(high),
                     height() - kMargin - metrics.descent(), high);
}

}  // namespace vantory::measure
