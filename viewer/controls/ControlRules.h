// What each camera control means: enabling by mode, the frequency tables, the emitter
// mode, and how the firmware version decides the setup after a connection. Plain
// functions, no widgets and no SDK calls.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "mvsdk/MvTypes.h"

namespace vantory::controls {

// Which integration-time spin boxes accept input for an HDR index and image type.
struct ExposureEnabling {
    std::array<bool, 5> intTime{};  // spinBox_int1 .. spinBox_int5
};
// HDR off: only the first; temporal: all; spatial: the first two. The grayscale image
// type (index 1) disables all five.
ExposureEnabling exposureEnabling(int hdrIndex, int imageTypeIndex);
// The HDR mode sent for a combo index; an index outside the modes sends "off".
Movoda::HdrMode hdrModeForIndex(int index);

// cmbBox_modfreq: the frequency each entry sends and the distance slider's maximum (cm).
struct ModFreqEntry {
    Movoda::ModulationFreq freq;
    int sliderMaxCm;
};
constexpr int kModFreqEntryCount = 5;
// Empty for an index outside the combo.
std::optional<ModFreqEntry> modFreqEntry(int index);
// The entry that stands for a camera frequency; empty when the combo has none.
std::optional<int> modFreqIndexOf(std::uint32_t freq);

// comboBox_freq1..5: the code sent for an item (24 MHz divider minus one) and back.
constexpr int kExposureFreqItemCount = 7;
std::uint8_t exposureFreqCode(int index);
int exposureFreqIndex(std::uint8_t code);

// Emitter mode: bit 0 the first emitter, bit 1 the second; both while the boxes are hidden.
std::uint8_t vcselMode(bool first, bool second, bool boxesShown);
// Check states of the two emitter boxes for a mode the camera reports.
std::array<bool, 2> vcselBoxes(std::uint8_t mode);

// The number in a firmware text such as "V2.5.3_20241101" (2.5); 1.0 for a short text.
float firmwareVersionNumber(const std::string& firmwareText);

enum class AfterConnect {
    PushControls,  // older firmware keeps no configuration: send the controls' values
    ReadBackOnly,  // the camera keeps its own configuration
    Incompatible,  // newer than this viewer knows: warn, still read back
};
AfterConnect afterConnectAction(float firmwareVersion);

// A new K150 names itself with exactly one of "K150" and "k150".
bool isNewK150(const std::string& modelName);

}  // namespace vantory::controls
