// What entering each developer mode does. The windows' part is done through the effects
// the main window supplies; the modes themselves live in the viewer's context bits.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

#include "DevModeConstants.h"

namespace vantory::devmodes {

// Where a mode word came from: the keyboard or the device-settings command box.
enum class EntryPoint { Keyboard, CommandBox };

struct ModeEffects {
    std::function<void()> showDeveloperControls;
    // Calibration button and its window part, spatial HDR, channel, the service fields
    // of the device-settings window, the raw-DCS switch.
    std::function<void()> showFactoryTestControls;
    // The filter window's developer-only controls (factory-test mode).
    std::function<void()> showFilterDeveloperControls;
    std::function<void()> showFirmwareGroup;
    std::function<void(const QString& title)> setWindowTitle;
    std::function<void(const QString& title, const QString& text)> inform;
    std::function<void()> adjustWindowSizes;
};

class DeveloperModes {
public:
    // `modes` is the viewer's mode bit set (GUI thread); `baseTitle` the window title
    // without a mode suffix.
    DeveloperModes(std::uint8_t& modes, QString baseTitle, bool english, ModeEffects effects);

    // A finished mode word. Modes only ever switch on: a second time does nothing visible.
    void enter(int index, EntryPoint from);

    bool anyOn() const { return (modes_ & kDeveloperModeMask) != 0; }
    bool pixelReportOn() const { return pixelReport_; }

    // The filter window hands over how its developer-only controls are shown.
    void setFilterDeveloperControls(std::function<void()> show) {
        effects_.showFilterDeveloperControls = std::move(show);
    }

private:
    void enterDebug(EntryPoint from);
    void enterFactoryTest();
    void enterFirmware();

    std::uint8_t& modes_;
    QString baseTitle_;
    bool english_;
    ModeEffects effects_;
    bool pixelReport_ = false;
};

}  // namespace vantory::devmodes
