// A vertical colour bar beside an image pane: the pane's colour map from the lower to
// the upper end of its range, with the values at both ends, the middle and the unit.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class ImageColorizer;

namespace vantory::measure {

class ColorBar : public QWidget {
    Q_OBJECT
public:
    explicit ColorBar(QWidget* parent = nullptr);
    ~ColorBar() override;

    // `mode` is the colouriser's mode (colour table or gray levels).
    void setScale(double lower, double upper, int mode, const QString& unit);
    double lower() const { return lower_; }
    double upper() const { return upper_; }
    const QString& unit() const { return unit_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString valueText(double value) const;

    std::unique_ptr<ImageColorizer> colorizer_;
    double lower_ = 0.0;
    double upper_ = 1.0;
    int mode_ = 2;
    QString unit_;
};

}  // namespace vantory::measure
