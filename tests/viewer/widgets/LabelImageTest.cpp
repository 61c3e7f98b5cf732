#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

#include "LabelImage.h"
#include "QtTestApp.h"

namespace {

// A 320 x 240 image in an 800 x 480 label: shown at 640 x 480 from x = 80.
constexpr int kLeft = 80;

QPoint widgetPoint(int column, int row)
{
    return QPoint(kLeft + 2 * column + 1, 2 * row + 1);
}

class LabelImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qtTestApp();
        label = std::make_unique<LabelImage>();
        label->resize(800, 480);
        label->show();
        QImage image(320, 240, QImage::Format_RGB888);
        image.fill(Qt::black);
        image.setPixelColor(0, 0, Qt::red);
        label->setImage(image);
        label->setMirror(false, false, false);
    }

    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(pos), QPointF(label->mapToGlobal(pos)), button, buttons, mods);
        QApplication::sendEvent(label.get(), &event);
    }
    void click(QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, pos, Qt::LeftButton, mods);
        mouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton, mods);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods)
    {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, mods);
        QMouseEvent moveEvent(QEvent::MouseMove, QPointF(to), QPointF(label->mapToGlobal(to)),
                              Qt::NoButton, Qt::LeftButton, mods);
        QApplication::sendEvent(label.get(), &moveEvent);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, mods);
    }
    void rightClick(Qt::KeyboardModifiers mods)
    {
        mouse(QEvent::MouseButtonPress, widgetPoint(10, 10), Qt::RightButton, mods);
        mouse(QEvent::MouseButtonRelease, widgetPoint(10, 10), Qt::RightButton, mods);
    }
    void hover(QPoint pos)
    {
        QMouseEvent event(QEvent::MouseMove, QPointF(pos), QPointF(label->mapToGlobal(pos)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(label.get(), &event);
    }

    std::unique_ptr<LabelImage> label;
};

TEST_F(LabelImageTest, ShownSizeKeepsTheAspectRatio)
{
    const auto g = label->geometryInfo();
    EXPECT_EQ(g.shownW, 640);
    EXPECT_EQ(g.shownH, 480);
    EXPECT_EQ(g.left(), kLeft);
    EXPECT_EQ(label->shownPixmap().size(), QSize(640, 480));
}

TEST_F(LabelImageTest, ClickSelectsThePixelUnderTheMouse)
{
    QSignalSpy selected(label.get(), &LabelImage::infoSelected);
    click(widgetPoint(100, 50));
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 100);
    EXPECT_EQ(selected.at(0).at(1).toInt(), 50);
    EXPECT_TRUE(label->hasSelectedPixel());
    EXPECT_EQ(label->selectedPixel(), QPoint(100, 50));

    // The cross-hair is drawn over the black image around the pixel.
    const QImage shown = label->shownPixmap().toImage();
    const auto g = label->geometryInfo();
    EXPECT_EQ(shown.pixelColor(g.pixmapX(100) + 6, g.pixmapY(50)), QColor(200, 200, 200));
    EXPECT_EQ(shown.pixelColor(g.pixmapX(100) + 6, g.pixmapY(50) + 40), QColor(Qt::black));
}

TEST_F(LabelImageTest, CtrlClickAlsoSelectsAndAsksToClearInfo)
{
    QSignalSpy selected(label.get(), &LabelImage::infoSelected);
    QSignalSpy clearInfo(label.get(), &LabelImage::clearPixelInfo);
    click(widgetPoint(3, 4), Qt::ControlModifier);
    EXPECT_EQ(clearInfo.count(), 1);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(label->selectedPixel(), QPoint(3, 4));
}

TEST_F(LabelImageTest, ClickOutsideTheImageSelectsNothing)
{
    QSignalSpy selected(label.get(), &LabelImage::infoSelected);
    click(QPoint(10, 100));
    click(QPoint(790, 100));
    EXPECT_EQ(selected.count(), 0);
    EXPECT_FALSE(label->hasSelectedPixel());
}

TEST_F(LabelImageTest, MirroredClickAndImage)
{
    label->setMirror(true, false, false);
    EXPECT_EQ(label->shownSourceImage().pixelColor(319, 0), QColor(Qt::red));
    QSignalSpy selected(label.get(), &LabelImage::infoSelected);
    click(QPoint(kLeft, 10));
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 319);
    EXPECT_EQ(selected.at(0).at(1).toInt(), 5);
}

TEST_F(LabelImageTest, RotatedViewRefusesSelectionsAndClearsThem)
{
    click(widgetPoint(7, 8));
    ASSERT_TRUE(label->hasSelectedPixel());
    QSignalSpy selected(label.get(), &LabelImage::infoSelected);
    QSignalSpy infoCleared(label.get(), &LabelImage::pixelInfoSelectionCleared);
    QSignalSpy lineCleared(label.get(), &LabelImage::pixelScopeSelectionCleared);
    QSignalSpy rectCleared(label.get(), &LabelImage::timeScopeSelectionCleared);
    label->setMirror(false, false, true);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 0);
    EXPECT_EQ(infoCleared.count(), 1);
    EXPECT_FALSE(infoCleared.at(0).at(0).toBool());
    EXPECT_EQ(lineCleared.count(), 1);
    EXPECT_EQ(rectCleared.count(), 1);
    EXPECT_FALSE(label->hasSelectedPixel());
    EXPECT_TRUE(label->isRotated());

    QSignalSpy hovered(label.get(), &LabelImage::mouseHover);
    click(widgetPoint(7, 8));
    hover(widgetPoint(7, 8));
    EXPECT_EQ(selected.count(), 1);
    EXPECT_EQ(hovered.count(), 0);
    // The pixmap is turned: portrait inside the landscape label.
    EXPECT_GT(label->shownPixmap().height(), label->shownPixmap().width());
}

TEST_F(LabelImageTest, HoverReportsPixelOrOutOfRange)
{
    QSignalSpy hovered(label.get(), &LabelImage::mouseHover);
    QSignalSpy out(label.get(), &LabelImage::mouseOutOfRange);
    QSignalSpy changed(label.get(), &LabelImage::mouseChanged);
    hover(widgetPoint(319, 239));
    ASSERT_EQ(hovered.count(), 1);
    EXPECT_EQ(hovered.at(0).at(0).toInt(), 319);
    EXPECT_EQ(hovered.at(0).at(1).toInt(), 239);
    hover(QPoint(5, 5));
    EXPECT_EQ(out.count(), 1);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_DOUBLE_EQ(changed.at(1).at(0).toDouble(), -1.0);
    EXPECT_NEAR(changed.at(0).at(0).toDouble(), 1.0, 0.01);
}

TEST_F(LabelImageTest, AltDragSelectsAnOrderedRectangle)
{
    QSignalSpy rect(label.get(), &LabelImage::timescopeSelected);
    QSignalSpy cleared(label.get(), &LabelImage::clearRubberBandRect);
    drag(widgetPoint(200, 150), widgetPoint(20, 30), Qt::AltModifier);
    EXPECT_EQ(cleared.count(), 1);
    ASSERT_EQ(rect.count(), 1);
    EXPECT_EQ(rect.at(0).at(0).toInt(), 20);
    EXPECT_EQ(rect.at(0).at(1).toInt(), 200);
    EXPECT_EQ(rect.at(0).at(2).toInt(), 30);
    EXPECT_EQ(rect.at(0).at(3).toInt(), 150);
    EXPECT_TRUE(label->isRectShown());
    EXPECT_EQ(label->selectedRect(), QRect(QPoint(20, 30), QPoint(200, 150)));
    EXPECT_FALSE(label->hasSelectedPixel());
}

TEST_F(LabelImageTest, DragPastTheImageEdgeStaysInsideTheImage)
{
    QSignalSpy rect(label.get(), &LabelImage::timescopeSelected);
    drag(widgetPoint(300, 200), QPoint(799, 479), Qt::AltModifier);
    ASSERT_EQ(rect.count(), 1);
    EXPECT_EQ(rect.at(0).at(1).toInt(), 319);
    EXPECT_EQ(rect.at(0).at(3).toInt(), 239);
}

TEST_F(LabelImageTest, CtrlAltDragSelectsALine)
{
    QSignalSpy line(label.get(), &LabelImage::pixelscopeSelected);
    drag(widgetPoint(150, 60), widgetPoint(40, 90), Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(line.count(), 1);
    EXPECT_EQ(line.at(0).at(0).toInt(), 40);
    EXPECT_EQ(line.at(0).at(1).toInt(), 150);
    EXPECT_EQ(line.at(0).at(2).toInt(), 60);
    EXPECT_EQ(line.at(0).at(3).toInt(), 60);
    EXPECT_TRUE(label->isLineShown());
    EXPECT_EQ(label->selectedLine().height(), 2);
}

TEST_F(LabelImageTest, ShiftDragSelectsABandSymmetricAboutTheMiddle)
{
    QSignalSpy region(label.get(), &LabelImage::regionSelected);
    drag(widgetPoint(10, 40), widgetPoint(100, 40), Qt::ShiftModifier);
    ASSERT_EQ(region.count(), 1);
    EXPECT_EQ(region.at(0).at(0).toInt(), 10);
    EXPECT_EQ(region.at(0).at(1).toInt(), 100);
    EXPECT_EQ(region.at(0).at(2).toInt(), 40);
    EXPECT_EQ(region.at(0).at(3).toInt(), 199);   // widget row 480 - 81 = 399
    EXPECT_FALSE(label->isRectShown());
}

TEST_F(LabelImageTest, RightClicksClearByModifier)
{
    click(widgetPoint(5, 5));
    drag(widgetPoint(10, 10), widgetPoint(20, 20), Qt::AltModifier);
    drag(widgetPoint(10, 30), widgetPoint(20, 30), Qt::ControlModifier | Qt::AltModifier);
    QSignalSpy infoCleared(label.get(), &LabelImage::pixelInfoSelectionCleared);
    QSignalSpy lineCleared(label.get(), &LabelImage::pixelScopeSelectionCleared);
    QSignalSpy rectCleared(label.get(), &LabelImage::timeScopeSelectionCleared);

    rightClick(Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(label->isLineShown());
    EXPECT_TRUE(label->isRectShown());
    EXPECT_TRUE(label->hasSelectedPixel());
    EXPECT_EQ(lineCleared.count(), 1);

    rightClick(Qt::AltModifier);
    EXPECT_FALSE(label->isRectShown());
    EXPECT_EQ(rectCleared.count(), 1);

    rightClick(Qt::ControlModifier);
    EXPECT_FALSE(label->hasSelectedPixel());
    EXPECT_EQ(infoCleared.count(), 1);

    click(widgetPoint(5, 5));
    rightClick(Qt::NoModifier);
    EXPECT_FALSE(label->hasSelectedPixel());
    EXPECT_EQ(infoCleared.count(), 2);
    EXPECT_EQ(lineCleared.count(), 2);
    EXPECT_EQ(rectCleared.count(), 2);
}

TEST_F(LabelImageTest, ShiftAltRightClickSavesShownImageAsPng)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    click(widgetPoint(5, 5));
    QString answer = dir.filePath("shot");
    int asked = 0;
    label->setSaveFileNameProvider([&] {
        ++asked;
        return answer;
    });
    rightClick(Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(asked, 1);
    const QImage saved(dir.filePath("shot.png"));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(640, 480));
    EXPECT_TRUE(label->hasSelectedPixel()) << "saving must not clear the selection";

    answer = dir.filePath("again.png");
    rightClick(Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_TRUE(QFile::exists(dir.filePath("again.png")));
    EXPECT_FALSE(QFile::exists(dir.filePath("again.png.png")));

    answer.clear();   // cancelled dialog
    rightClick(Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(asked, 3);
}

TEST_F(LabelImageTest, EmptyLabelIgnoresGestures)
{
    LabelImage empty;
    empty.resize(200, 200);
    empty.setMirror(false, false, false);
    QSignalSpy selected(&empty, &LabelImage::infoSelected);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 100), QPointF(100, 100), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&empty, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(100, 100), QPointF(100, 100),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&empty, &release);
    EXPECT_EQ(selected.count(), 0);
    EXPECT_FALSE(empty.saveShownImage("/tmp/never"));
}

}  // namespace
