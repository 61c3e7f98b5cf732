// How stored values become control values: modulation codes of the frequency boxes and
// the frame-rate clamp. Shared by the settings file, configuration files and scenes.
#pragma once

#include <optional>

namespace vantory::settings {

// A frequency box index with no selection: what an unknown stored code loads as.
constexpr int kNoSelection = 100;
// Box item ("24M", "12M", "6M", "4.8M", "3M", "1.5M", "0.75M") <-> stored modulation code.
// Items and codes without a partner print "Unknown FREQ!".
int freqCodeOfIndex(int index);
int freqIndexOfCode(int code);

// maxfps as loaded: below 1 becomes 10, above 30 becomes 30.
int loadedMaxFps(int stored);
// modfreq as shown in developer mode: values 0..4 show as min(value, 2).
std::optional<int> loadedModFreq(int stored);

}  // namespace vantory::settings
