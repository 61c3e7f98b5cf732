// The real main window, with the real SDK, against the simulated camera running in this
// process on its own loopback address. Every wait is bounded.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CameraSim.h"
#include "MainWindow.h"

namespace Ui {
class MainWindow;
}

namespace e2e {

// This binary's own loopback address and image port.
constexpr const char* kCameraAddress = "127.0.0.60";
constexpr const char* kStreamAddress = "127.0.0.1";
constexpr uint16_t kImagePort = 9660;

// Command the window sends last on a first connection (the IMU extrinsic read).
constexpr uint8_t kCmdImuExtrinsicRead = 29;

// Long enough for a reconnect cycle of the SDK (a failed connect is retried after 2 s)
// on a loaded machine; conditions are polled, so a pass costs only the real delay.
constexpr int kConnectWaitMs = 15000;
constexpr int kWaitMs = 8000;

// Device state texts the window shows for the simulated camera.
inline const QString kConnectedIdle = QStringLiteral("Connected-Idle");
inline const QString kConnectedStream = QStringLiteral("Connected-Stream");
inline const QString kGreen = QStringLiteral("color:green");
inline const QString kRed = QStringLiteral("color:red");

// Stream codes of the start command and its fixed second byte.
constexpr uint8_t kStreamDistance = 1;
constexpr uint8_t kStreamAmplitude = 2;
constexpr uint8_t kStreamGrayscale = 3;
constexpr uint8_t kStartFlagByte = 1;

// Polls `condition` while the event loop runs, for at most `timeoutMs`.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs);

// Presses the button with `text` in the next modal message box.
void answerNextBox(const QString& text);

// Payloads of the received commands with this id, oldest first.
std::vector<std::vector<uint8_t>> payloadsOf(const std::vector<camsim::ReceivedCommand>& commands, uint8_t id);

class ViewerE2eTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The simulated camera as these tests want it; tests adjust it before startViewer().
    camsim::SimOptions& cameraOptions() { return cameraOptions_; }

    // Writes the settings file, opens the window (which starts the SDK's connection
    // work), points the image stream at this binary's port on loopback, then starts the
    // camera and waits until the window shows the idle camera.
    void startViewer(int imageTypeIndex = 0);
    bool waitForState(const QString& text, int timeoutMs = kWaitMs);
    // Takes the camera away, or brings a fresh one up on the same address.
    void stopCamera();
    void restartCamera();

    MainWindow& window() { return *window_; }
    Ui::MainWindow& ui();
    camsim::CameraSim& camera() { return *camera_; }
    const std::vector<int>& exitCodes() const { return exitCodes_; }
    QString workPath(const QString& name) const;

    // Received commands from position `from` on.
    std::vector<camsim::ReceivedCommand> commandsFrom(std::size_t from) const;
    bool waitForCommand(uint8_t id, std::size_t from, int timeoutMs = kWaitMs) const;

private:
    // One working directory for the whole binary: the SDK's log is process-wide and
    // stays in the directory where the first SDK opened it.
    static QTemporaryDir* workDir_;
    QString previousDir_;
    camsim::SimOptions cameraOptions_;
    std::unique_ptr<camsim::CameraSim> camera_;
    std::unique_ptr<MainWindow> window_;
    std::vector<int> exitCodes_;
};

}  // namespace e2e
