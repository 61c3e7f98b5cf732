#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>

#include <memory>

#include "QtTestApp.h"
#include "QxtSpanSlider.h"

namespace {

class SpanSliderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qtTestApp();
        slider = std::make_unique<QxtSpanSlider>(Qt::Horizontal);
        slider->setRange(0, 100);
        slider->setSingleStep(1);
        slider->resize(300, 30);
        slider->show();
    }

    bool key(int k)
    {
        QKeyEvent event(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(slider.get(), &event);
        return event.isAccepted();
    }

    bool mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(pos), QPointF(slider->mapToGlobal(pos)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(slider.get(), &event);
        return event.isAccepted();
    }
    bool press(QPoint pos) { return mouse(QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton); }
    void move(QPoint pos) { mouse(QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint pos) { mouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton); }

    std::unique_ptr<QxtSpanSlider> slider;
};

TEST_F(SpanSliderTest, SetSpanOrdersBoundsAndSignalsOnlyChanges)
{
    QSignalSpy lower(slider.get(), &QxtSpanSlider::lowerValueChanged);
    QSignalSpy upper(slider.get(), &QxtSpanSlider::upperValueChanged);
    QSignalSpy span(slider.get(), &QxtSpanSlider::spanChanged);

    slider->setSpan(80, 20);
    EXPECT_EQ(slider->lowerValue(), 20);
    EXPECT_EQ(slider->upperValue(), 80);
    ASSERT_EQ(lower.count(), 1);
    ASSERT_EQ(upper.count(), 1);
    ASSERT_EQ(span.count(), 1);
    EXPECT_EQ(span.at(0).at(0).toInt(), 20);
    EXPECT_EQ(span.at(0).at(1).toInt(), 80);

    slider->setSpan(20, 80);   // unchanged: silent
    EXPECT_EQ(span.count(), 1);

    slider->setUpperValue(90);   // only the upper value changes
    EXPECT_EQ(lower.count(), 1);
    EXPECT_EQ(upper.count(), 2);
    EXPECT_EQ(span.count(), 2);

    slider->setSpan(-50, 500);   // bounded to the range
    EXPECT_EQ(slider->lowerValue(), 0);
    EXPECT_EQ(slider->upperValue(), 100);

    slider->setLowerValue(120);   // past the upper: both end at the maximum
    EXPECT_EQ(slider->lowerValue(), 100);
    EXPECT_EQ(slider->upperValue(), 100);
    EXPECT_EQ(slider->property("lowerValue").toInt(), 100);
}

TEST_F(SpanSliderTest, RangeChangeCutsTheValues)
{
    slider->setSpan(20, 80);
    QSignalSpy lower(slider.get(), &QxtSpanSlider::lowerValueChanged);
    QSignalSpy upper(slider.get(), &QxtSpanSlider::upperValueChanged);
    QSignalSpy span(slider.get(), &QxtSpanSlider::spanChanged);

    slider->setRange(0, 50);
    EXPECT_EQ(slider->upperValue(), 50);
    EXPECT_EQ(slider->lowerValue(), 20);
    EXPECT_EQ(lower.count(), 0);
    ASSERT_EQ(upper.count(), 1);
    EXPECT_EQ(upper.at(0).at(0).toInt(), 50);
    ASSERT_EQ(span.count(), 1);

    slider->setMinimum(30);
    EXPECT_EQ(slider->lowerValue(), 30);
    EXPECT_EQ(slider->upperValue(), 50);

    slider->setRange(0, 3000);   // widening keeps the values
    EXPECT_EQ(slider->lowerValue(), 30);
    EXPECT_EQ(slider->upperValue(), 50);
}

TEST_F(SpanSliderTest, KeysMoveTheirHandles)
{
    slider->setSpan(10, 20);
    EXPECT_TRUE(key(Qt::Key_Right));   // main handle = lower
    EXPECT_EQ(slider->lowerValue(), 11);
    EXPECT_TRUE(key(Qt::Key_Left));
    EXPECT_EQ(slider->lowerValue(), 10);
    EXPECT_TRUE(key(Qt::Key_Up));      // the other handle on a horizontal slider
    EXPECT_EQ(slider->upperValue(), 21);
    EXPECT_TRUE(key(Qt::Key_Down));
    EXPECT_EQ(slider->upperValue(), 20);
    EXPECT_TRUE(key(Qt::Key_Home));
    EXPECT_EQ(slider->lowerValue(), 0);
    EXPECT_TRUE(key(Qt::Key_End));
    EXPECT_EQ(slider->upperValue(), 100);
    EXPECT_EQ(slider->lowerValue(), 0);

    slider->setInvertedAppearance(true);
    EXPECT_TRUE(key(Qt::Key_Left));   // left steps up when the appearance is inverted
    EXPECT_EQ(slider->lowerValue(), 1);
}

TEST_F(SpanSliderTest, SteppingPastTheOtherHandleExchangesRoles)
{
    slider->setSpan(20, 20);
    QSignalSpy span(slider.get(), &QxtSpanSlider::spanChanged);
    EXPECT_EQ(slider->mainControl(), QxtSpanSlider::LowerHandle);
    key(Qt::Key_Right);
    EXPECT_EQ(slider->lowerValue(), 20);
    EXPECT_EQ(slider->upperValue(), 21);
    EXPECT_EQ(slider->mainControl(), QxtSpanSlider::UpperHandle);
    key(Qt::Key_Right);   // keeps moving the same (now upper) handle
    EXPECT_EQ(slider->upperValue(), 22);
    key(Qt::Key_Home);    // still the lower handle
    EXPECT_EQ(slider->lowerValue(), 0);
    EXPECT_EQ(slider->upperValue(), 22);
    key(Qt::Key_Up);      // the non-main handle is now the lower one
    EXPECT_EQ(slider->lowerValue(), 1);
    for (const QList<QVariant>& args : span)
        EXPECT_LE(args.at(0).toInt(), args.at(1).toInt());
}

TEST_F(SpanSliderTest, StepsStopAtTheRangeEnds)
{
    slider->setSpan(0, 100);
    key(Qt::Key_Left);
    EXPECT_EQ(slider->lowerValue(), 0);
    key(Qt::Key_Up);
    EXPECT_EQ(slider->upperValue(), 100);
}

TEST_F(SpanSliderTest, OtherKeysAreLeftUnaccepted)
{
    slider->setSpan(10, 20);
    EXPECT_FALSE(key(Qt::Key_PageUp));
    EXPECT_FALSE(key(Qt::Key_A));
    EXPECT_EQ(slider->lowerValue(), 10);
    EXPECT_EQ(slider->upperValue(), 20);
}

TEST_F(SpanSliderTest, DraggingLowerPastUpperContinuesAsUpper)
{
    slider->setSpan(20, 60);
    QSignalSpy span(slider.get(), &QxtSpanSlider::spanChanged);
    QSignalSpy lowerSpy(slider.get(), &QxtSpanSlider::lowerValueChanged);
    const QPoint grip = slider->handleRect(QxtSpanSlider::LowerHandle).center();
    ASSERT_TRUE(press(grip));
    EXPECT_EQ(slider->pressedHandle(), QxtSpanSlider::LowerHandle);
    EXPECT_TRUE(slider->isSliderDown());

    move(QPoint(slider->width() - 1, grip.y()));
    EXPECT_EQ(slider->lowerValue(), 60);
    EXPECT_GE(slider->upperValue(), 90);
    EXPECT_EQ(slider->pressedHandle(), QxtSpanSlider::UpperHandle);
    EXPECT_EQ(slider->lastPressed(), QxtSpanSlider::UpperHandle);
    EXPECT_EQ(slider->mainControl(), QxtSpanSlider::UpperHandle);
    // The lower value moved from 20 to 60 and observers were told.
    ASSERT_GE(lowerSpy.count(), 1);
    EXPECT_EQ(lowerSpy.last().at(0).toInt(), 60);

    move(QPoint(0, grip.y()));   // back below: roles exchange again
    EXPECT_LE(slider->lowerValue(), 10);
    EXPECT_EQ(slider->upperValue(), 60);
    EXPECT_EQ(slider->pressedHandle(), QxtSpanSlider::LowerHandle);

    release(QPoint(0, grip.y()));
    EXPECT_EQ(slider->pressedHandle(), QxtSpanSlider::NoHandle);
    EXPECT_FALSE(slider->isSliderDown());
    ASSERT_GE(span.count(), 2);
    for (const QList<QVariant>& args : span)
        EXPECT_LE(args.at(0).toInt(), args.at(1).toInt());

    move(QPoint(slider->width() / 2, grip.y()));   // not pressed: nothing moves
    EXPECT_EQ(slider->upperValue(), 60);
}

TEST_F(SpanSliderTest, PressesAwayFromHandlesOrWithSeveralButtonsAreIgnored)
{
    slider->setSpan(0, 10);
    slider->setValue(0);
    const int y = slider->height() / 2;
    EXPECT_FALSE(press(QPoint(slider->width() - 10, y)));
    EXPECT_EQ(slider->pressedHandle(), QxtSpanSlider::NoHandle);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(slider->upperValue(), 10);

    const QPoint grip = slider->handleRect(QxtSpanSlider::UpperHandle).center();
    EXPECT_FALSE(mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton,
                       Qt::LeftButton | Qt::RightButton));
    EXPECT_EQ(slider->pressedHandle(), QxtSpanSlider::NoHandle);

    slider->setRange(5, 5);
    EXPECT_FALSE(press(slider->handleRect(QxtSpanSlider::UpperHandle).center()));
}

TEST_F(SpanSliderTest, UpperHandleWinsWhenBothOverlap)
{
    slider->setSpan(50, 50);
    ASSERT_TRUE(press(slider->handleRect(QxtSpanSlider::UpperHandle).center()));
    EXPECT_EQ(slider->pressedHandle(), QxtSpanSlider::UpperHandle);
    release(QPoint(0, 0));
}

TEST_F(SpanSliderTest, PaintsTheSpanBetweenTheHandles)
{
    slider->setSpan(25, 75);
    const QImage shot = slider->grab().toImage();
    ASSERT_EQ(shot.size(), slider->size() * shot.devicePixelRatio());
    const QRect lowerRect = slider->handleRect(QxtSpanSlider::LowerHandle);
    const QRect upperRect = slider->handleRect(QxtSpanSlider::UpperHandle);
    const int y = lowerRect.center().y();
    const int inside = (lowerRect.right() + upperRect.left()) / 2;
    const int outside = (upperRect.right() + slider->width()) / 2;
    ASSERT_GT(upperRect.left(), lowerRect.right());
    EXPECT_NE(shot.pixelColor(inside, y), shot.pixelColor(outside, y));
    EXPECT_EQ(slider->lowerValue(), 25);
    EXPECT_EQ(slider->upperValue(), 75);
}

}  // namespace
