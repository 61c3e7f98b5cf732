// Streaming: Start, Stop, image-type changes and the exit routine, seen from the camera.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "GuiContext.h"
#include "ViewerE2eFixture.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace e2e {
namespace {

constexpr uint8_t kCmdLinkCheck = 0;
constexpr uint8_t kCmdStart = 1;
constexpr uint8_t kCmdStop = 2;

// Position of the first command with `id` (and, when given, `payload`) at or after
// `from`, or -1.
int positionOf(const std::vector<camsim::ReceivedCommand>& commands, uint8_t id, int from = 0,
               const std::vector<uint8_t>* payload = nullptr) {
    for (int i = std::max(from, 0); i < static_cast<int>(commands.size()); ++i) {
        const camsim::ReceivedCommand& command = commands[static_cast<std::size_t>(i)];
        if (command.id == id && (!payload || command.payload == *payload)) return i;
    }
    return -1;
}

// Everything but the SDK's periodic link checks.
std::vector<camsim::ReceivedCommand> withoutLinkChecks(const std::vector<camsim::ReceivedCommand>& commands) {
    std::vector<camsim::ReceivedCommand> kept;
    for (const camsim::ReceivedCommand& command : commands) {
        if (command.id != kCmdLinkCheck) kept.push_back(command);
    }
    return kept;
}

std::vector<uint8_t> startPayload(uint8_t streamCode) { return {streamCode, kStartFlagByte}; }

TEST_F(ViewerE2eTest, StartAndStopSwitchButtonsAndCameraStreaming) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));  // Distance
    ASSERT_FALSE(camera().streaming());
    std::size_t mark = camera().receivedCommands().size();

    ui().pushBtn_start->click();
    EXPECT_FALSE(ui().pushBtn_start->isEnabled());
    EXPECT_TRUE(ui().pushBtn_stop->isEnabled());
    EXPECT_TRUE(camera().streaming());
    EXPECT_EQ(payloadsOf(commandsFrom(mark), kCmdStart),
              std::vector<std::vector<uint8_t>>{startPayload(kStreamDistance)});
    ASSERT_TRUE(waitForState(kConnectedStream)) << ui().label_connectstate->text().toStdString();
    EXPECT_EQ(ui().label_connectstate->styleSheet(), kGreen);
    // Frames reach the SDK on this binary's image port.
    EXPECT_TRUE(waitUntil([&]() { return window().context()->sdk->getFrameRate() > 0; }));
    // The recording group that appears makes room for itself: no control is squashed
    // below the height it needs.
    EXPECT_FALSE(ui().groupBox_record->isHidden());
    QCoreApplication::processEvents();
    for (QWidget* control : std::initializer_list<QWidget*>{ui().spinBox_int1, ui().spinBox_maxFps,
                                                            ui().cmbBox_imagetype, ui().pushBtn_stop}) {
        EXPECT_GE(control->height(), control->minimumSizeHint().height()) << control->objectName().toStdString();
    }

    mark = camera().receivedCommands().size();
    ui().pushBtn_stop->click();
    EXPECT_TRUE(ui().pushBtn_start->isEnabled());
    EXPECT_FALSE(ui().pushBtn_stop->isEnabled());
    EXPECT_FALSE(camera().streaming());
    EXPECT_EQ(payloadsOf(commandsFrom(mark), kCmdStop).size(), 1u);
    EXPECT_TRUE(payloadsOf(commandsFrom(mark), kCmdStart).empty());
    ASSERT_TRUE(waitForState(kConnectedIdle)) << ui().label_connectstate->text().toStdString();
    EXPECT_EQ(ui().label_connectstate->styleSheet(), kGreen);
}

struct TypeChange {
    int index;
    uint8_t streamCode;
};

TEST_F(ViewerE2eTest, ImageTypeChangeWhileStreamingRestartsWithNewType) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    ui().pushBtn_start->click();
    ASSERT_TRUE(camera().streaming());

    // Grayscale, Dist+Amp, Point Cloud, PointCloud+Amp, back to Distance.
    const TypeChange changes[] = {{1, kStreamGrayscale},
                                  {2, kStreamAmplitude},
                                  {3, kStreamDistance},
                                  {4, kStreamAmplitude},
                                  {0, kStreamDistance}};
    for (const TypeChange& change : changes) {
        SCOPED_TRACE(change.index);
        const std::size_t mark = camera().receivedCommands().size();
        ui().cmbBox_imagetype->setCurrentIndex(change.index);
        const auto commands = commandsFrom(mark);
        const std::vector<uint8_t> expected = startPayload(change.streamCode);
        const int stop = positionOf(commands, kCmdStop);
        const int start = positionOf(commands, kCmdStart, stop + 1, &expected);
        EXPECT_GE(stop, 0);
        EXPECT_GT(start, stop);
        EXPECT_EQ(payloadsOf(commands, kCmdStart).size(), 1u);
        EXPECT_TRUE(camera().streaming());
        EXPECT_EQ(camera().config().streamCode, change.streamCode);
        EXPECT_FALSE(ui().pushBtn_start->isEnabled());
        EXPECT_EQ(window().context()->imageTypeIndex, change.index);
    }

    // Stopped, a new type only changes the controls.
    ui().pushBtn_stop->click();
    const std::size_t mark = camera().receivedCommands().size();
    ui().cmbBox_imagetype->setCurrentIndex(1);
    const auto commands = commandsFrom(mark);
    EXPECT_EQ(positionOf(commands, kCmdStart), -1);
    EXPECT_EQ(positionOf(commands, kCmdStop), -1);
    EXPECT_FALSE(camera().streaming());
    EXPECT_TRUE(ui().spinBox_intgs->isEnabled());
}

TEST_F(ViewerE2eTest, ExitBoxCancelKeepsStreamingAndOkLeavesCameraStopped) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    ui().pushBtn_start->click();
    ASSERT_TRUE(camera().streaming());

    std::size_t mark = camera().receivedCommands().size();
    answerNextBox(QStringLiteral("Cancel"));
    EXPECT_FALSE(window().close());
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(exitCodes().empty());
    for (const camsim::ReceivedCommand& command : withoutLinkChecks(commandsFrom(mark))) {
        ADD_FAILURE() << "sent while the exit box was open: command " << int(command.id);
    }
    EXPECT_TRUE(camera().streaming());

    mark = camera().receivedCommands().size();
    answerNextBox(QStringLiteral("Ok"));
    window().close();
    ASSERT_EQ(exitCodes(), std::vector<int>{0});
    // PointCloud+Amp is started (restarting the stream), then stopped.
    const auto commands = withoutLinkChecks(commandsFrom(mark));
    const std::vector<uint8_t> cloudWithAmplitude = startPayload(kStreamAmplitude);
    const int start = positionOf(commands, kCmdStart, 0, &cloudWithAmplitude);
    ASSERT_GE(start, 0);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back().id, kCmdStop);
    EXPECT_FALSE(camera().streaming());
    EXPECT_EQ(camera().config().streamCode, kStreamAmplitude);
    EXPECT_EQ(ui().cmbBox_imagetype->currentIndex(), 4);

    // The SDK is gone with its threads: the camera sees the link close.
    EXPECT_EQ(window().context()->sdk, nullptr);
    EXPECT_TRUE(waitUntil([&]() { return !camera().linkOpen(); }));
}

}  // namespace
}  // namespace e2e
