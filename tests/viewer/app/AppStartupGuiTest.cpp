#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QStyle>

#include <csignal>

#include "AppStyle.h"
#include "SigintBridge.h"

namespace vantory {
namespace {

int g_argc = 1;
char g_name[] = "app_gui_test";
char* g_argv[] = {g_name, nullptr};

QApplication& app() {
    static QApplication instance(g_argc, g_argv);
    return instance;
}

TEST(AppStyle, PaletteHasTheViewerColours) {
    const QPalette palette = viewerPalette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        EXPECT_EQ(palette.color(group, QPalette::Window), QColor(240, 240, 240));
        EXPECT_EQ(palette.color(group, QPalette::AlternateBase), QColor(233, 231, 227));
        EXPECT_EQ(palette.color(group, QPalette::Highlight), QColor(0, 120, 215));
        EXPECT_EQ(palette.color(group, QPalette::BrightText), QColor(Qt::red));
        EXPECT_EQ(palette.color(group, QPalette::HighlightedText), QColor(Qt::white));
    }
}

TEST(AppStyle, WithoutSheetFileTheDisabledSheetStays) {
    const QString sheet = applyViewerStyle(app());
    EXPECT_EQ(sheet, QString::fromLatin1(kDisabledStyleSheet));
    EXPECT_EQ(QApplication::palette().color(QPalette::Highlight), QColor(0, 120, 215));
}

TEST(SigintBridge, InterruptRunsHandlerOnEventLoop) {
    app();
    int calls = 0;
    SigintBridge bridge([&calls]() { ++calls; });
    ASSERT_TRUE(bridge.install());
    std::raise(SIGINT);
    EXPECT_EQ(calls, 0);  // nothing runs inside the signal handler
    QElapsedTimer timer;
    timer.start();
    while (calls == 0 && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace vantory
