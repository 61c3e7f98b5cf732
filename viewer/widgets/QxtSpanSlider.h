#pragma once

#include <QSlider>

class QxtSpanSliderPrivate;

// A slider with two handles selecting a lower and an upper value within its range.
// The two values never cross: dragging or stepping one handle past the other makes
// the handles exchange roles.
class QxtSpanSlider : public QSlider {
    Q_OBJECT
    Q_PROPERTY(int lowerValue READ lowerValue WRITE setLowerValue)
    Q_PROPERTY(int upperValue READ upperValue WRITE setUpperValue)

public:
    enum Handle { NoHandle = 0, LowerHandle = 1, UpperHandle = 2 };

    explicit QxtSpanSlider(QWidget* parent = nullptr);
    explicit QxtSpanSlider(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~QxtSpanSlider() override;

    int lowerValue() const;
    int upperValue() const;
    Handle mainControl() const;
    Handle lastPressed() const;
    Handle pressedHandle() const;   // handle currently held by the mouse, NoHandle if none

    // Rectangle of one handle in widget coordinates (for hit tests and painting).
    QRect handleRect(Handle handle) const;

signals:
    void spanChanged(int lower, int upper);
    void lowerValueChanged(int lower);
    void upperValueChanged(int upper);

public slots:
    void setLowerValue(int lower);
    void setUpperValue(int upper);
    void setSpan(int lower, int upper);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class QxtSpanSliderPrivate;
    QxtSpanSliderPrivate* d;
};
