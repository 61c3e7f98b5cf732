#include "ColorBar.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "ColorizerConstants.h"
#include "ImageColorizer.h"

namespace vantory::measure {

namespace {

// The colour map is sampled over this many steps, from 1 so that no step is the
// colouriser's black "no value".
constexpr int kSteps = 10000;
constexpr int kBarWidth = 14;
constexpr int kTextGap = 4;
constexpr int kMargin = 2;

}  // namespace

ColorBar::ColorBar(QWidget* parent)
    : QWidget(parent), colorizer_(std::make_unique<ImageColorizer>()) {
    colorizer_->setRange(1, 1 + kSteps);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

ColorBar::~ColorBar() = default;

void ColorBar::setScale(double lower, double upper, int mode, const QString& unit) {
    if (lower == lower_ && upper == upper_ && mode == mode_ && unit == unit_) return;
    lower_ = lower;
    upper_ = upper;
    mode_ = mode;
    unit_ = unit;
    updateGeometry();
    update();
}

QString ColorBar::valueText(double value) const {
    const double span = std::abs(upper_ - lower_);
    const int decimals = span >= 100.0 ? 0 : span >= 10.0 ? 1 : 2;
    return QString::number(value, 'f', decimals);
}

QSize ColorBar::sizeHint() const {
    const QFontMetrics metrics(font());
    const int text =
        std::max({metrics.horizontalAdvance(valueText(upper_)),
                  metrics.horizontalAdvance(valueText(lower_)), metrics.horizontalAdvance(unit_)});
    return {kMargin + kBarWidth + kTextGap + text + kMargin, 120};
}

QSize ColorBar::minimumSizeHint() const {
    return {sizeHint().width(), 60};
}

void ColorBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int textHeight = metrics.height();
    const int top = kMargin + textHeight + textHeight / 2;  // the unit sits above the bar
    const int bottom = height() - kMargin - textHeight / 2;
    const int barHeight = bottom - top;
    if (barHeight < 2) return;

    for (int row = 0; row < barHeight; ++row) {
        const double share = 1.0 - double(row) / double(barHeight - 1);  // top is the upper end
        const auto value = static_cast<std::uint32_t>(1 + std::lround(share * kSteps));
        painter.setPen(colorizer_->colorOf(value, mode_));
        painter.drawLine(kMargin, top + row, kMargin + kBarWidth - 1, top + row);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(kMargin, top, kBarWidth - 1, barHeight - 1);

    const int textX = kMargin + kBarWidth + kTextGap;
    painter.drawText(kMargin, kMargin + metrics.ascent(), unit_);
    const auto label = [&](double value, int y) {
        painter.drawText(textX, y + metrics.ascent() / 2, valueText(value));
    };
    label(upper_, top);
    label((lower_ + upper_) / 2.0, top + barHeight / 2);
    label(lower_, bottom - 1);
}

}  // namespace vantory::measure
