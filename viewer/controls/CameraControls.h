// Sends the camera parameter controls' values to the camera: one SDK operation per
// control, and the whole set in order after connecting a camera whose firmware keeps
// no configuration of its own. Knows no widget; the window passes plain values.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "ControlRules.h"

namespace Movoda {
class MvSdk;
}

namespace vantory::controls {

// The panel's values as the handlers need them.
struct ControlValues {
    int imageTypeIndex = 0;
    int hdrIndex = 0;
    std::array<int, 5> intTimes{};
    int intTimeGs = 0;
    bool laterExposuresShown = false;  // spinBox_int4: times 4 and 5 go out as 0 while hidden
    int modFreqIndex = 0;
    std::array<int, 5> freqIndices{};
    bool freqBoxesShown = false;
    int minAmplitude = 0;
    int maxFps = 10;
    bool vcsel1 = true, vcsel2 = true;
    bool vcselBoxesShown = false;
    int renderType = 0;  // point-cloud render type: 0 distance, 1 amplitude, 2 reflectivity
};

enum class FrameRateResult {
    NotSent,  // 0, or no camera connected (also when the link went away between tries)
    Sent,
    Refused,  // refused on every try: the user is told
};

struct PushResult {
    int sliderMaxCm = 0;  // distance slider maximum of the frequency sent
    FrameRateResult frameRate = FrameRateResult::NotSent;
};

class CameraControls {
public:
    explicit CameraControls(Movoda::MvSdk& sdk) : sdk_(sdk) {}

    bool sendIntegrationTimes(const ControlValues& values);
    bool sendHdrMode(int hdrIndex);
    // Empty for an index outside the combo (nothing is sent then).
    std::optional<ModFreqEntry> sendModFreq(int index);
    bool sendExposureFrequencies(const std::array<int, 5>& indices);
    bool sendMinAmplitude(int amplitude);
    FrameRateResult sendFrameRate(int fps);
    bool sendBinning(bool horizontal, bool vertical);
    bool sendEmitters(const ControlValues& values);
    bool sendChannel(int channel);
    bool sendRawDcs(bool on);
    bool sendGrayscaleInAmplitudePane(bool on);
    bool sendRenderSelect(int renderType);
    bool saveToDevice();

    // The after-connect push: modulation frequency (the combo's in a developer mode,
    // else 6 MHz), HDR mode, integration times, minimum amplitude, emitters, frame rate,
    // render selection and, when the boxes are shown, the per-exposure frequencies.
    PushResult pushAll(const ControlValues& values, bool developerMode);

private:
    Movoda::MvSdk& sdk_;
};

}  // namespace vantory::controls
