// Per camera model constants: reflectivity coefficients per modulation frequency, the
// model tokens that select them, and the frequency-code map.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace Movoda::model_table {

constexpr size_t kFreqCount = 7;
using CoefRow = std::array<float, kFreqCount>;

struct ModelSelection {
    CoefRow coef;
    bool mirrorOff;
};

// Searches the model text for the known tokens in their fixed order. A token counts only
// when found at position 1 or later; the first that counts wins; none gives row 1.
ModelSelection selectModel(const std::string& modelText);

// Returned by modulationForCode for codes without a modulation frequency.
constexpr uint8_t kUnknownFrequency = 0xFF;
// Frequency code of the information block -> ModulationFreq value.
uint8_t modulationForCode(uint8_t code);

}  // namespace Movoda::model_table
