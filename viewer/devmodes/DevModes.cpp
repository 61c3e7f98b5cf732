#include "DevModes.h"

#include "CameraDebug.h"

namespace vantory::devmodes {

DevModes::DevModes(Movoda::MvSdk& sdk, std::uint8_t& modes, QString baseTitle, bool english,
                   ModeEffects modeEffects, CommandEffects commandEffects)
    : sdk_(sdk),
      modes_(modes, std::move(baseTitle), english, std::move(modeEffects)),
      commands_(sdk, modes_, std::move(commandEffects)) {
    QObject::connect(&keys_, &KeyHandler::developerModeEnabled, &keys_,
                     [this](int index) { modes_.enter(index, EntryPoint::Keyboard); });
}

void DevModes::pixelSelected(int row, int column) {
    if (modes_.pixelReportOn()) sendPixelReport(sdk_, row, column);
}

}  // namespace vantory::devmodes
