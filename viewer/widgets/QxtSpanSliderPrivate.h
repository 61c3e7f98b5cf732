#pragma once

#include <QObject>
#include <QStyle>

#include "QxtSpanSlider.h"

class QPainter;
class QStyleOptionSlider;

// State and geometry helpers of QxtSpanSlider.
class QxtSpanSliderPrivate : public QObject {
    Q_OBJECT
public:
    explicit QxtSpanSliderPrivate(QxtSpanSlider* owner);

    using Handle = QxtSpanSlider::Handle;

    QxtSpanSlider* owner;
    int lower = 0;
    int upper = 0;
    int offset = 0;
    int position = 0;
    Handle lastPressed = QxtSpanSlider::NoHandle;
    Handle mainControl = QxtSpanSlider::LowerHandle;
    QStyle::SubControl lowerPressed = QStyle::SC_None;
    QStyle::SubControl upperPressed = QStyle::SC_None;

    void initStyleOption(QStyleOptionSlider* option, Handle handle) const;
    QRect handleRect(Handle handle) const;
    int pick(const QPoint& point) const;
    int pixelToValue(int pixel) const;
    // Hit-tests one handle at the press point; marks it pressed when hit.
    bool handleMousePress(const QPoint& pos, Handle handle);
    // Swaps which handle is pressed, pressed last and main.
    void exchangeRoles();
    // Moves one handle to a value, exchanging roles when it would pass the other.
    void moveHandle(Handle handle, int value);
    void stepHandle(Handle handle, int delta);
    void drawSpan(QPainter* painter, const QRect& spanArea) const;
    void drawHandle(QPainter* painter, Handle handle) const;

public slots:
    void updateRange(int min, int max);
};
