// The viewer's process-wide record, shared by the GUI thread and the SDK callbacks.
// It owns the SDK facade and the signal relay and lives until the process ends.
#pragma once

#include <QImage>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "MaintenanceOutput.h"
#include "SampleWindow.h"
#include "SdkSignal.h"

namespace Movoda {
class MvSdk;
class Frame;
}  // namespace Movoda

class MainWindow;

namespace vantory {

// What the display images show (GuiContext::displayMode).
constexpr int kDisplayDistance = 0;
constexpr int kDisplayDistanceAmplitude = 1;
constexpr int kDisplayGrayscale = 2;

constexpr std::size_t kReflectivityCoefCount = 21;
constexpr float kDefaultReflectivityCoef = 0.02f;

// The status operations are also how the maintenance work reports (MaintenanceOutput).
struct GuiContext : maintenance::MaintenanceOutput {
    GuiContext(MainWindow* window, const std::string& logDirectory);
    ~GuiContext() override;

    MainWindow* window = nullptr;
    std::unique_ptr<SdkSignal> sdkSignal;
    std::unique_ptr<Movoda::MvSdk> sdk;

    // Set before the SDK may call back; cleared when the window goes away, so a late
    // callback on an SDK thread finds nothing to touch.
    std::atomic<bool> callbacksEnabled{false};

    std::uint8_t modes = 0;  // bit 0 debug, bit 1 factory test, bit 2 firmware update
    std::uint8_t languageSetting = 0;
    std::uint8_t english = 1;
    std::array<std::int32_t, 4> windowGeometry{};

    // Last values sent to the camera.
    std::uint8_t imageTypeIndex = 0;
    std::uint8_t modFreqIndex = 0;
    std::uint8_t hdrIndex = 0;
    std::uint8_t maxFps = 10;
    std::uint16_t minAmplitude = 60;
    std::array<std::uint16_t, 6> intTimes{};

    std::int32_t displayMode = 0;  // kDisplayDistance, kDisplayDistanceAmplitude, kDisplayGrayscale
    std::array<std::int32_t, 2> distRange{0, 5000};
    std::array<std::int32_t, 2> ampRange{0, 2048};
    std::uint8_t useSecondDistance = 0;
    std::uint8_t grayInAmpPane = 0;
    std::uint8_t filterLibraryLoaded = 0;

    SampleWindow distSamples{100};
    SampleWindow ampSamples{100};

    // Frame mutex: guards the display images, the pixel values and lastFrame.
    std::mutex frameMutex;
    QImage distanceImage;
    QImage amplitudeImage;
    QImage grayscaleImage;
    std::shared_ptr<const Movoda::Frame> lastFrame;
    std::int32_t pixelDistance = 0, pixelAmplitude = 0, pixelGrayscale = 0;
    std::int32_t pixelConfidence = -1, pixelPhase = -1;
    float pixelReflectivity = 0.0f;
    std::int32_t selectedX = 0, selectedY = 0;
    std::uint8_t frameFlags = 0;

    // Texts raised to the GUI thread (codes 5 to 7 and 16) and the IMU line.
    std::mutex textMutex;
    std::int32_t progressValue = 0;
    QString statusText;
    QString statusStyle = QStringLiteral("color:green");
    QString messageTitle;
    QString messageText;
    QString imuLine;

    std::uint8_t reflectCoefRunning = 0;
    std::array<float, kReflectivityCoefCount> reflectCoefs{};
    bool playing = false;  // a playback is running
    std::uint32_t newK150 = 0, prevNewK150 = 0;
    std::string modelName, serialText, firmwareText;
    float firmwareVersion = 1.4f;
    std::int32_t sensorTempX100 = 0, secondTempX100 = 0;
    std::int32_t dust = -1;

    // Operations callable from any thread.
    void setStatus(const QString& text, const QString& style, int target) override;
    void setProgress(int value, bool calibration) override;
    void timedMessage(const QString& title, const QString& text) override;
    void raise(int code);
};

// The one context of the process (null before the main window exists).
GuiContext* guiContext();
void setGuiContext(GuiContext* context);

}  // namespace vantory
