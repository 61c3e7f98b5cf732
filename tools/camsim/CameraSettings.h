// What the simulated camera is (identity) and how it is set to acquire (configuration).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace camsim {

struct Lens {
    // fx, fy, cx, cy in pixels; k1, k2, k3 radial and p1, p2 tangential distortion.
    float fx = 210.0f, fy = 210.0f, cx = 159.5f, cy = 119.5f;
    float k1 = -0.12f, k2 = 0.03f, k3 = 0.0f, p1 = 0.0005f, p2 = -0.0003f;
};

struct ImuExtrinsicValues {
    std::array<float, 7> values{1.0f, 0.0f, 0.0f, 0.0f, 0.012f, 0.002f, -0.005f};  // q, t
};

struct Identity {
    std::string model = "K150PLUS";
    std::string serial;  // empty: derived from the model (see defaultSerial)
    std::string firmware = "V2.5.3_20241101";
    std::string boot = "BOOT_V1.2.0";
    std::array<uint8_t, 6> mac{0x02, 0x4D, 0x56, 0x53, 0x49, 0x4D};
    std::array<uint8_t, 4> ip{127, 0, 0, 1};
    std::array<uint8_t, 4> netmask{255, 255, 255, 0};
    std::array<uint8_t, 4> gateway{127, 0, 0, 1};
    uint16_t idWord1 = 2411;
    uint16_t idWord2 = 7;
    uint8_t factoryFlags = 0x12;  // DRNU 1 and lens data present
    uint8_t calibrated = 1;
    uint8_t fpsLimit = 50;  // highest frame rate it accepts and reports
    // Bytes of its answer to the light-energy command: the value, zero-padded beyond 2.
    uint8_t lightEnergyAnswerSize = 2;
    Lens lens;
    ImuExtrinsicValues imu;
};

// One character, the model name, then digits: the model token sits after position 0.
std::string defaultSerial(const std::string& model);

// Settings that change what the camera streams. Persisted by "save to device".
struct AcquisitionConfig {
    uint8_t streamCode = 1;  // 1 distance, 2 amplitude, 3 grayscale (as sent by start)
    uint8_t hdrMode = 0;     // 0 off, 1 temporal, 2 spatial (reported numbering)
    std::array<uint8_t, 5> freqCodes{1, 1, 1, 1, 1};  // divider of 24 MHz minus one
    std::array<uint16_t, 5> intTimes{1000, 0, 0, 0, 0};
    uint16_t intTimeGs = 1000;
    uint16_t minAmplitude = 60;
    uint8_t maxFps = 10;
    bool binningH = false;
    bool binningV = false;
    uint16_t roiX0 = 0, roiY0 = 0, roiX1 = 319, roiY1 = 239;
    uint8_t vcselMode = 3;
    uint8_t channel = 0;
    uint8_t ptpDomain = 0;
    uint8_t integrationLevel = 0;
    bool grayscalePlane = false;
    bool rawDcsPlane = false;
    bool pixelReport = false;
    uint8_t pixelRow = 0;
    uint16_t pixelColumn = 0;
    uint8_t renderMode = 20;
    bool cutOn = false;
    std::array<uint16_t, 4> cut{300, 500, 1000, 3000};  // int0, dist0, int1, dist1
    bool offsetOn = false;
    uint16_t offsetMm = 0;
    uint16_t maxLightEnergy = 0;
    int32_t tempCoefficient = 0;
    std::array<uint8_t, 2> compensation{1, 1};
    uint8_t distanceScale = 1;

    // Frame size after the region of interest and binning; never below one pixel.
    int width() const { return std::max(1, (roiX1 - roiX0 + 1) / (binningH ? 2 : 1)); }
    int height() const { return std::max(1, (roiY1 - roiY0 + 1) / (binningV ? 2 : 1)); }
    bool operator==(const AcquisitionConfig& o) const;
};

// Modulation frequency in Hz of a frequency code.
double frequencyOfCode(uint8_t code);
// Frequency code of a ModulationFreq value; false for values outside the table.
bool codeOfModulationFreq(uint8_t freq, uint8_t& code);
// ModulationFreq value of a frequency code as the frame decoder maps it (unknown codes: 0).
uint8_t modulationFreqOfCode(uint8_t code);
// Reflectivity coefficient row of a model name and the coefficient for one ModulationFreq.
int coefficientRow(const std::string& model);
double reflectivityCoefficient(int row, uint8_t modulationFreq);
// Models whose rows are sent unmirrored.
bool sendsRowsUnmirrored(const std::string& model);
// The text of an IPv4 address and back.
std::string ipText(const std::array<uint8_t, 4>& ip);
bool parseIp(const std::string& text, std::array<uint8_t, 4>& ip);
std::string macText(const std::array<uint8_t, 6>& mac);

// State file of "save to device": key=value lines. Load returns false on a missing or
// unreadable file and leaves the configuration as it was.
bool saveConfig(const std::string& path, const AcquisitionConfig& config);
bool loadConfig(const std::string& path, AcquisitionConfig& config);

}  // namespace camsim
