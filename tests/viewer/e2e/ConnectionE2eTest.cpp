// Connection: what the window shows while the camera comes, stays and goes.
#include <QLabel>

#include "GuiContext.h"
#include "ViewerE2eFixture.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace e2e {
namespace {

constexpr uint8_t kCmdDevInfo = 4;
constexpr uint8_t kCmdLensRead = 18;
constexpr uint8_t kCmdUdpDest = 19;

// Destination payload: the address bytes, then the port least significant byte first.
std::vector<uint8_t> destinationPayload() {
    return {127, 0, 0, 1, static_cast<uint8_t>(kImagePort & 0xFF), static_cast<uint8_t>(kImagePort >> 8)};
}

TEST_F(ViewerE2eTest, FirstConnectionShowsIdleInGreenAndKeepsStreamOnLoopback) {
    ASSERT_NO_FATAL_FAILURE(startViewer());
    EXPECT_EQ(ui().label_connectstate->styleSheet(), kGreen);
    EXPECT_TRUE(window().context()->sdk->isConnected());

    // The follow-up of the first connection, then the window's own extrinsic read.
    ASSERT_TRUE(waitForCommand(kCmdUdpDest, 0));
    ASSERT_TRUE(waitForCommand(kCmdImuExtrinsicRead, 0));
    const auto commands = camera().receivedCommands();
    EXPECT_FALSE(payloadsOf(commands, kCmdDevInfo).empty());
    EXPECT_FALSE(payloadsOf(commands, kCmdLensRead).empty());
    const auto destinations = payloadsOf(commands, kCmdUdpDest);
    ASSERT_EQ(destinations.size(), 1u);
    EXPECT_EQ(destinations.front(), destinationPayload());
}

TEST_F(ViewerE2eTest, LostCameraTurnsStateRedAndReturningCameraGreenAgain) {
    ASSERT_NO_FATAL_FAILURE(startViewer());
    ASSERT_TRUE(waitForCommand(kCmdUdpDest, 0));

    stopCamera();
    ASSERT_TRUE(waitUntil([&]() { return ui().label_connectstate->styleSheet() == kRed; }, kConnectWaitMs))
        << ui().label_connectstate->text().toStdString();
    EXPECT_FALSE(ui().label_connectstate->text().startsWith(QStringLiteral("Connected")));
    EXPECT_FALSE(window().context()->sdk->isConnected());

    // A new connection runs the follow-up again: the stream is pointed at us once more.
    ASSERT_NO_FATAL_FAILURE(restartCamera());
    ASSERT_TRUE(waitForState(kConnectedIdle, kConnectWaitMs)) << ui().label_connectstate->text().toStdString();
    EXPECT_EQ(ui().label_connectstate->styleSheet(), kGreen);
    ASSERT_TRUE(waitForCommand(kCmdUdpDest, 0));
    EXPECT_EQ(payloadsOf(camera().receivedCommands(), kCmdUdpDest).front(), destinationPayload());
}

TEST_F(ViewerE2eTest, ChangedAddressMovesConnectionToNewCamera) {
    ASSERT_NO_FATAL_FAILURE(startViewer());
    // An address where no camera answers: the window must leave the green state.
    ui().lineEdit_netip->setText(QStringLiteral("127.0.0.69"));
    emit ui().lineEdit_netip->editingFinished();
    ASSERT_TRUE(waitUntil([&]() { return ui().label_connectstate->styleSheet() == kRed; }, kConnectWaitMs))
        << ui().label_connectstate->text().toStdString();

    // And back to the camera.
    const std::size_t mark = camera().receivedCommands().size();
    ui().lineEdit_netip->setText(QString::fromLatin1(kCameraAddress));
    emit ui().lineEdit_netip->editingFinished();
    ASSERT_TRUE(waitForState(kConnectedIdle, kConnectWaitMs)) << ui().label_connectstate->text().toStdString();
    EXPECT_TRUE(waitForCommand(kCmdDevInfo, mark));
}

}  // namespace
}  // namespace e2e
