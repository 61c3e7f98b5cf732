#include "QxtSpanSlider.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <QStylePainter>

#include <algorithm>

#include "QxtSpanSliderPrivate.h"

namespace {

constexpr int kSpanDarker = 120;
constexpr int kSpanLighter = 108;
constexpr int kOutlineDarkerHorizontal = 130;
constexpr int kOutlineDarkerVertical = 150;

QxtSpanSlider::Handle otherHandle(QxtSpanSlider::Handle handle)
{
    switch (handle) {
    case QxtSpanSlider::LowerHandle:
        return QxtSpanSlider::UpperHandle;
    case QxtSpanSlider::UpperHandle:
        return QxtSpanSlider::LowerHandle;
    default:
        return QxtSpanSlider::NoHandle;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// QxtSpanSliderPrivate

QxtSpanSliderPrivate::QxtSpanSliderPrivate(QxtSpanSlider* ownerSlider)
    : QObject(ownerSlider), owner(ownerSlider)
{
}

void QxtSpanSliderPrivate::initStyleOption(QStyleOptionSlider* option, Handle handle) const
{
    owner->initStyleOption(option);
    if (handle == QxtSpanSlider::LowerHandle) {
        option->sliderPosition = lower;
        option->sliderValue = lower;
    } else if (handle == QxtSpanSlider::UpperHandle) {
        option->sliderPosition = upper;
        option->sliderValue = upper;
    }
}

QRect QxtSpanSliderPrivate::handleRect(Handle handle) const
{
    QStyleOptionSlider option;
    initStyleOption(&option, handle);
    return owner->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle,
                                          owner);
}

int QxtSpanSliderPrivate::pick(const QPoint& point) const
{
    return owner->orientation() == Qt::Horizontal ? point.x() : point.y();
}

int QxtSpanSliderPrivate::pixelToValue(int pixel) const
{
    QStyleOptionSlider option;
    initStyleOption(&option, QxtSpanSlider::NoHandle);
    const QStyle* style = owner->style();
    const QRect groove =
        style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, owner);
    const QRect handle =
        style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, owner);
    int length, first, last;
    if (owner->orientation() == Qt::Horizontal) {
        length = handle.width();
        first = groove.x();
        last = groove.right() - length + 1;
    } else {
        length = handle.height();
        first = groove.y();
        last = groove.bottom() - length + 1;
    }
    return QStyle::sliderValueFromPosition(owner->minimum(), owner->maximum(), pixel - first,
                                           last - first, option.upsideDown);
}

bool QxtSpanSliderPrivate::handleMousePress(const QPoint& pos, Handle handle)
{
    QStyleOptionSlider option;
    initStyleOption(&option, handle);
    QStyle::SubControl& pressed =
        handle == QxtSpanSlider::LowerHandle ? lowerPressed : upperPressed;
    const QStyle::SubControl before = pressed;
    const QStyle::SubControl hit =
        owner->style()->hitTestComplexControl(QStyle::CC_Slider, &option, pos, owner);
    pressed = hit == QStyle::SC_SliderHandle ? QStyle::SC_SliderHandle : QStyle::SC_None;
    const QRect rect = handleRect(handle);
    if (pressed == QStyle::SC_SliderHandle) {
        position = handle == QxtSpanSlider::LowerHandle ? lower : upper;
        offset = pick(pos - rect.topLeft());
        lastPressed = handle;
        owner->setSliderDown(true);
    }
    if (pressed != before)
        owner->update(rect);
    return pressed == QStyle::SC_SliderHandle;
}

void QxtSpanSliderPrivate::exchangeRoles()
{
    std::swap(lowerPressed, upperPressed);
    lastPressed = otherHandle(lastPressed);
    mainControl = otherHandle(mainControl);
}

void QxtSpanSliderPrivate::moveHandle(Handle handle, int value)
{
    // The stored values are left to setSpan so that every changed value is signalled.
    if (handle == QxtSpanSlider::LowerHandle) {
        if (value <= upper) {
            owner->setSpan(value, upper);
        } else {
            const int oldUpper = upper;
            exchangeRoles();
            owner->setSpan(oldUpper, value);
        }
    } else if (handle == QxtSpanSlider::UpperHandle) {
        if (value >= lower) {
            owner->setSpan(lower, value);
        } else {
            const int oldLower = lower;
            exchangeRoles();
            owner->setSpan(value, oldLower);
        }
    }
}

void QxtSpanSliderPrivate::stepHandle(Handle handle, int delta)
{
    const long long current = handle == QxtSpanSlider::LowerHandle ? lower : upper;
    const long long target =
        std::clamp<long long>(current + delta, owner->minimum(), owner->maximum());
    moveHandle(handle, int(target));
}

void QxtSpanSliderPrivate::drawSpan(QPainter* painter, const QRect& spanArea) const
{
    QStyleOptionSlider option;
    initStyleOption(&option, QxtSpanSlider::NoHandle);
    const QRect groove = owner->style()->subControlRect(QStyle::CC_Slider, &option,
                                                        QStyle::SC_SliderGroove, owner);
    const bool horizontal = owner->orientation() == Qt::Horizontal;
    QLinearGradient gradient;
    if (horizontal) {
        gradient.setStart(groove.center().x(), groove.top());
        gradient.setFinalStop(groove.center().x(), groove.bottom());
    } else {
        gradient.setStart(groove.left(), groove.center().y());
        gradient.setFinalStop(groove.right(), groove.center().y());
    }
    const QColor highlight = owner->palette().color(QPalette::Highlight);
    gradient.setColorAt(0, highlight.darker(kSpanDarker));
    gradient.setColorAt(1, highlight.lighter(kSpanLighter));

    QPen pen(highlight.darker(horizontal ? kOutlineDarkerHorizontal : kOutlineDarkerVertical), 0);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(gradient);
    const QRect limit = horizontal ? groove.adjusted(0, 0, 0, -1) : groove.adjusted(0, 0, -1, 0);
    painter->drawRect(spanArea.intersected(limit));
}

void QxtSpanSliderPrivate::drawHandle(QPainter* painter, Handle handle) const
{
    QStyleOptionSlider option;
    initStyleOption(&option, handle);
    option.subControls = QStyle::SC_SliderHandle;
    const QStyle::SubControl pressed =
        handle == QxtSpanSlider::LowerHandle ? lowerPressed : upperPressed;
    if (pressed == QStyle::SC_SliderHandle) {
        option.activeSubControls = pressed;
        option.state |= QStyle::State_Sunken;
    }
    owner->style()->drawComplexControl(QStyle::CC_Slider, &option, painter, owner);
}

void QxtSpanSliderPrivate::updateRange(int, int)
{
    // Re-applying the span bounds both values to the new range.
    owner->setSpan(lower, upper);
}

// ---------------------------------------------------------------------------
// QxtSpanSlider

QxtSpanSlider::QxtSpanSlider(QWidget* parent) : QSlider(parent), d(new QxtSpanSliderPrivate(this))
{
    connect(this, &QSlider::rangeChanged, d, &QxtSpanSliderPrivate::updateRange);
}

QxtSpanSlider::QxtSpanSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent), d(new QxtSpanSliderPrivate(this))
{
    connect(this, &QSlider::rangeChanged, d, &QxtSpanSliderPrivate::updateRange);
}

QxtSpanSlider::~QxtSpanSlider() = default;

int QxtSpanSlider::lowerValue() const { return d->lower; }
int QxtSpanSlider::upperValue() const { return d->upper; }
QxtSpanSlider::Handle QxtSpanSlider::mainControl() const { return d->mainControl; }
QxtSpanSlider::Handle QxtSpanSlider::lastPressed() const { return d->lastPressed; }

QxtSpanSlider::Handle QxtSpanSlider::pressedHandle() const
{
    if (d->lowerPressed == QStyle::SC_SliderHandle)
        return LowerHandle;
    if (d->upperPressed == QStyle::SC_SliderHandle)
        return UpperHandle;
    return NoHandle;
}

QRect QxtSpanSlider::handleRect(Handle handle) const
{
    return d->handleRect(handle);
}

void QxtSpanSlider::setLowerValue(int lower)
{
    setSpan(lower, d->upper);
}

void QxtSpanSlider::setUpperValue(int upper)
{
    setSpan(d->lower, upper);
}

void QxtSpanSlider::setSpan(int lower, int upper)
{
    const int low = std::clamp(std::min(lower, upper), minimum(), maximum());
    const int high = std::clamp(std::max(lower, upper), minimum(), maximum());
    if (low == d->lower && high == d->upper)
        return;
    if (low != d->lower) {
        d->lower = low;
        emit lowerValueChanged(low);
    }
    if (high != d->upper) {
        d->upper = high;
        emit upperValueChanged(high);
    }
    emit spanChanged(d->lower, d->upper);
    update();
}

void QxtSpanSlider::keyPressEvent(QKeyEvent* event)
{
    QSlider::keyPressEvent(event);
    const bool horizontal = orientation() == Qt::Horizontal;
    // The main handle when the condition holds, otherwise the other one.
    auto pickHandle = [this](bool main) { return main ? d->mainControl : otherHandle(d->mainControl); };
    const int step = singleStep();
    switch (event->key()) {
    case Qt::Key_Home:
        d->moveHandle(pickHandle(d->mainControl == LowerHandle), minimum());
        break;
    case Qt::Key_End:
        d->moveHandle(pickHandle(d->mainControl == UpperHandle), maximum());
        break;
    case Qt::Key_Left:
        d->stepHandle(pickHandle(horizontal), invertedAppearance() ? step : -step);
        break;
    case Qt::Key_Right:
        d->stepHandle(pickHandle(horizontal), invertedAppearance() ? -step : step);
        break;
    case Qt::Key_Up:
        d->stepHandle(pickHandle(!horizontal), invertedControls() ? -step : step);
        break;
    case Qt::Key_Down:
        d->stepHandle(pickHandle(!horizontal), invertedControls() ? step : -step);
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void QxtSpanSlider::mousePressEvent(QMouseEvent* event)
{
    if (minimum() == maximum() || (event->buttons() ^ event->button())) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    bool hit = d->handleMousePress(pos, UpperHandle);
    if (!hit)
        hit = d->handleMousePress(pos, LowerHandle);
    event->setAccepted(hit);
}

void QxtSpanSlider::mouseMoveEvent(QMouseEvent* event)
{
    const Handle pressed = pressedHandle();
    if (pressed == NoHandle) {
        event->ignore();
        return;
    }
    QStyleOptionSlider option;
    d->initStyleOption(&option, NoHandle);
    const QPoint pos = event->position().toPoint();
    const int maxDrag = style()->pixelMetric(QStyle::PM_MaximumDragDistance, &option, this);
    int value = d->pixelToValue(d->pick(pos) - d->offset);
    if (maxDrag >= 0 && !rect().adjusted(-maxDrag, -maxDrag, maxDrag, maxDrag).contains(pos))
        value = d->position;
    d->moveHandle(pressed, value);
    event->accept();
}

void QxtSpanSlider::mouseReleaseEvent(QMouseEvent* event)
{
    QSlider::mouseReleaseEvent(event);
    setSliderDown(false);
    d->lowerPressed = QStyle::SC_None;
    d->upperPressed = QStyle::SC_None;
    update();
}

void QxtSpanSlider::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QStyleOptionSlider option;
    d->initStyleOption(&option, NoHandle);
    option.sliderValue = 0;
    option.sliderPosition = 0;
    option.subControls = QStyle::SC_SliderTickmarks;
    painter.drawComplexControl(QStyle::CC_Slider, option);
    option.subControls = QStyle::SC_SliderGroove;
    painter.drawComplexControl(QStyle::CC_Slider, option);

    const QPoint lowerCentre = d->handleRect(LowerHandle).center();
    const QPoint upperCentre = d->handleRect(UpperHandle).center();
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    QRect span;
    if (orientation() == Qt::Horizontal) {
        span = QRect(QPoint(std::min(lowerCentre.x(), upperCentre.x()), groove.top()),
                     QPoint(std::max(lowerCentre.x(), upperCentre.x()), groove.bottom()));
    } else {
        span = QRect(QPoint(groove.left(), std::min(lowerCentre.y(), upperCentre.y())),
                     QPoint(groove.right(), std::max(lowerCentre.y(), upperCentre.y())));
    }
    d->drawSpan(&painter, span);

    // The handle pressed last is drawn last, so it lies on top.
    const Handle top = d->lastPressed == NoHandle ? UpperHandle : d->lastPressed;
    d->drawHandle(&painter, otherHandle(top));
    d->drawHandle(&painter, top);
}
