#include "frame/ModelTable.h"

namespace Movoda::model_table {
namespace {

// Rows 1..8 of the coefficient table, indexed by ModulationFreq.
constexpr std::array<CoefRow, 8> kRows = {{
    {0.051779f, 0.03879f, 0.070588f, 0.051976f, 0.041449f, 0.0399f, 0.047257f},
    {0.027421f, 0.020683f, 0.039181f, 0.029102f, 0.021447f, 0.0198f, 0.024667f},
    {0.008084f, 0.006265f, 0.010401f, 0.006837f, 0.005828f, 0.00795f, 0.005828f},
    {0.016168f, 0.01253f, 0.020802f, 0.013674f, 0.011656f, 0.0159f, 0.011656f},
    {0.009406f, 0.009608f, 0.012466f, 0.00844f, 0.007894f, 0.00872f, 0.008926f},
    {0.002572f, 0.002509f, 0.004244f, 0.002066f, 0.00214f, 0.00104348f, 0.002406f},
    {0.009128f, 0.006684f, 0.01084f, 0.008448f, 0.006064f, 0.0076f, 0.006456f},
    {0.029626f, 0.027954f, 0.047552f, 0.024505f, 0.023817f, 0.035275f, 0.030925f},
}};

struct Token {
    const char* text;
    int row;  // 1-based
    bool mirrorOff;
};

constexpr Token kTokens[] = {
    {"R300LITE", 1, false}, {"R300PLUS", 2, false}, {"R150LITE", 1, false},
    {"R150PLUS", 2, false}, {"K150LITE", 4, false}, {"K150APEX", 6, false},
    {"K150PLUS", 5, false}, {"K150SUPRA", 7, false}, {"K75", 8, true},
    {"V300", 3, false},     {"K300", 3, false},
};

constexpr int kDefaultRow = 1;

}  // namespace

ModelSelection selectModel(const std::string& modelText) {
    for (const Token& token : kTokens) {
        const size_t at = modelText.find(token.text);
        if (at != std::string::npos && at >= 1) {
            return {kRows[static_cast<size_t>(token.row - 1)], token.mirrorOff};
        }
    }
    return {kRows[kDefaultRow - 1], false};
}

uint8_t modulationForCode(uint8_t code) {
    switch (code) {
        case 0: return 2;
        case 1: return 0;
        case 3: return 1;
        case 4: return 6;
        case 7: return 3;
        case 15: return 4;
        case 31: return 5;
        default: return kUnknownFrequency;
    }
}

}  // namespace Movoda::model_table
