// The developer modes of one viewer window: the word watcher feeding the mode handler,
// the command box and the pixel report. The main window owns one and forwards to it.
#pragma once

#include <QObject>

#include <cstdint>

#include "DebugCommands.h"
#include "DeveloperModes.h"
#include "KeyHandler.h"

namespace vantory::devmodes {

class DevModes {
public:
    DevModes(Movoda::MvSdk& sdk, std::uint8_t& modes, QString baseTitle, bool english,
             ModeEffects modeEffects, CommandEffects commandEffects);

    KeyHandler& keys() { return keys_; }
    DeveloperModes& modes() { return modes_; }
    DebugCommands& commands() { return commands_; }

    // A pixel chosen in an image view: reported to the camera while the report is on.
    void pixelSelected(int row, int column);

private:
    Movoda::MvSdk& sdk_;
    KeyHandler keys_;
    DeveloperModes modes_;
    DebugCommands commands_;
};

}  // namespace vantory::devmodes
