#include "DeveloperModes.h"

namespace vantory::devmodes {

DeveloperModes::DeveloperModes(std::uint8_t& modes, QString baseTitle, bool english,
                               ModeEffects effects)
    : modes_(modes),
      baseTitle_(std::move(baseTitle)),
      english_(english),
      effects_(std::move(effects)) {}

void DeveloperModes::enter(int index, EntryPoint from) {
    switch (index) {
        case kDebugMode:
            enterDebug(from);
            break;
        case kFactoryTestMode:
            enterFactoryTest();
            break;
        case kFirmwareMode:
            enterFirmware();
            break;
        case kPixelReportMode:
            pixelReport_ = true;
            break;
        default:
            break;
    }
    effects_.adjustWindowSizes();
}

void DeveloperModes::enterDebug(EntryPoint from) {
    if (modes_ & kModeDebugBit) return;
    modes_ |= kModeDebugBit;
    effects_.showDeveloperControls();
    effects_.setWindowTitle(baseTitle_ + QLatin1String(kDebugTitleSuffix));
    const QString title = from == EntryPoint::Keyboard ? QString::fromLatin1(kNoteTitle)
                                                       : QString::fromUtf8(kChineseInfoTitle);
    effects_.inform(title, QString::fromLatin1(kIntoDebugMode));
}

void DeveloperModes::enterFactoryTest() {
    if (modes_ & kModeFactoryTestBit) return;
    modes_ |= kModeFactoryTestBit;
    effects_.setWindowTitle(baseTitle_ + QLatin1String(kFactoryTitleSuffix));
    effects_.showDeveloperControls();
    effects_.showFactoryTestControls();
    if (effects_.showFilterDeveloperControls) effects_.showFilterDeveloperControls();
}

void DeveloperModes::enterFirmware() {
    if (modes_ & kModeFirmwareBit) return;
    modes_ |= kModeFirmwareBit;
    effects_.showFirmwareGroup();
    const QString title =
        english_ ? QString::fromLatin1(kInfoTitle) : QString::fromUtf8(kChineseInfoTitle);
    effects_.inform(title, QString::fromLatin1(kIntoFirmwareMode));
}

}  // namespace vantory::devmodes
