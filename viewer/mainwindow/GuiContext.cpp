#include "GuiContext.h"

#include "UiUpdateCodes.h"
#include "mvsdk/MvSdk.h"

namespace vantory {
namespace {
std::atomic<GuiContext*> g_context{nullptr};
}

GuiContext::GuiContext(MainWindow* owner, const std::string& logDirectory)
    : window(owner), sdkSignal(std::make_unique<SdkSignal>()) {
    reflectCoefs.fill(kDefaultReflectivityCoef);
    sdk = std::make_unique<Movoda::MvSdk>(std::string(), logDirectory);
}

GuiContext::~GuiContext() {
    callbacksEnabled.store(false);
    // The SDK goes first: its destructor joins the threads that call back into us.
    sdk.reset();
}

void GuiContext::setStatus(const QString& text, const QString& style, int target) {
    {
        std::lock_guard<std::mutex> lock(textMutex);
        statusText = text;
        statusStyle = style;
    }
    if (target == 0) raise(kUpdateDeviceProgress);
    else if (target == 1) raise(kUpdateCalibrationStatus);
    else if (target == 2) raise(kUpdateCalibrationProgress);
}

void GuiContext::setProgress(int value, bool calibration) {
    {
        std::lock_guard<std::mutex> lock(textMutex);
        progressValue = value;
    }
    raise(calibration ? kUpdateCalibrationProgress : kUpdateDeviceProgress);
}

void GuiContext::timedMessage(const QString& title, const QString& text) {
    {
        std::lock_guard<std::mutex> lock(textMutex);
        messageTitle = title;
        messageText = text;
    }
    raise(kUpdateTimedMessage);
}

void GuiContext::raise(int code) {
    if (sdkSignal) emit sdkSignal->updateUiThread(code);
}

GuiContext* guiContext() { return g_context.load(); }

void setGuiContext(GuiContext* context) { g_context.store(context); }

}  // namespace vantory
