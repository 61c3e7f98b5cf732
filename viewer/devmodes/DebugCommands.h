// The device-settings window's command box: mode words, named debug commands and raw
// camera commands, and the sunlight calibration that two of them start and stop.
#pragma once

#include <QString>

#include <functional>

namespace Movoda {
class MvSdk;
}

namespace vantory::devmodes {

class DeveloperModes;

struct CommandEffects {
    std::function<void(int mode)> setDcsMode;  // and reset the pixel information
    std::function<void(bool on)> setTempDistLog;
    std::function<void()> raiseCalibrationWindow;
    std::function<void(const QString& line)> log;  // the log panel
    std::function<void(const QString& title, const QString& text)> inform;
    std::function<void(const QString& title, const QString& text)> timedMessage;
};

// "DCS0" to "DCS3" (any case) as a raw-DCS display mode, -1 for any other text.
int dcsModeOf(const QString& upperText);

class DebugCommands {
public:
    DebugCommands(Movoda::MvSdk& sdk, DeveloperModes& modes, CommandEffects effects);

    // The command box's button: the text upper-cased against the named commands; any
    // other text is a raw command once a developer mode is on.
    void run(const QString& text, bool decimal);

    // Sends a raw command and logs the camera's answer (status name and payload in hex);
    // a text that is not a command logs why nothing was sent. True when the camera
    // answered "ok".
    bool sendRaw(const QString& text, bool decimal);

    void startSunlight();
    void stopSunlight();

private:
    Movoda::MvSdk& sdk_;
    DeveloperModes& modes_;
    CommandEffects effects_;
};

}  // namespace vantory::devmodes
