#include "CameraSettings.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace camsim {
namespace {

constexpr double kBaseFrequencyHz = 24e6;

struct CodeFreq {
    uint8_t code;
    uint8_t modulationFreq;
};
// Frequency code to ModulationFreq, as the receiving side maps it.
constexpr CodeFreq kCodeTable[] = {{0, 2}, {1, 0}, {3, 1}, {4, 6}, {7, 3}, {15, 4}, {31, 5}};

struct ModelRow {
    const char* token;
    int row;
};
constexpr ModelRow kModelRows[] = {{"R300LITE", 1}, {"R300PLUS", 2},  {"R150LITE", 1},
                                   {"R150PLUS", 2}, {"K150LITE", 4},  {"K150APEX", 6},
                                   {"K150PLUS", 5}, {"K150SUPRA", 7}, {"K75", 8},
                                   {"V300", 3},     {"K300", 3}};

constexpr double kCoefficients[8][7] = {
    {0.051779, 0.03879, 0.070588, 0.051976, 0.041449, 0.0399, 0.047257},
    {0.027421, 0.020683, 0.039181, 0.029102, 0.021447, 0.0198, 0.024667},
    {0.008084, 0.006265, 0.010401, 0.006837, 0.005828, 0.00795, 0.005828},
    {0.016168, 0.01253, 0.020802, 0.013674, 0.011656, 0.0159, 0.011656},
    {0.009406, 0.009608, 0.012466, 0.00844, 0.007894, 0.00872, 0.008926},
    {0.002572, 0.002509, 0.004244, 0.002066, 0.00214, 0.00104348, 0.002406},
    {0.009128, 0.006684, 0.01084, 0.008448, 0.006064, 0.0076, 0.006456},
    {0.029626, 0.027954, 0.047552, 0.024505, 0.023817, 0.035275, 0.030925}};

}  // namespace

std::string defaultSerial(const std::string& model) {
    return "M" + model + "24110007";
}

bool AcquisitionConfig::operator==(const AcquisitionConfig& o) const {
    return streamCode == o.streamCode && hdrMode == o.hdrMode && freqCodes == o.freqCodes &&
           intTimes == o.intTimes && intTimeGs == o.intTimeGs && minAmplitude == o.minAmplitude &&
           maxFps == o.maxFps && binningH == o.binningH && binningV == o.binningV &&
           roiX0 == o.roiX0 && roiY0 == o.roiY0 && roiX1 == o.roiX1 && roiY1 == o.roiY1 &&
           vcselMode == o.vcselMode && channel == o.channel && ptpDomain == o.ptpDomain &&
           integrationLevel == o.integrationLevel && grayscalePlane == o.grayscalePlane &&
           rawDcsPlane == o.rawDcsPlane && pixelReport == o.pixelReport && cutOn == o.cutOn &&
           cut == o.cut && offsetOn == o.offsetOn && offsetMm == o.offsetMm &&
           maxLightEnergy == o.maxLightEnergy && tempCoefficient == o.tempCoefficient &&
           compensation == o.compensation && distanceScale == o.distanceScale;
}

double frequencyOfCode(uint8_t code) {
    return kBaseFrequencyHz / (double(code) + 1.0);
}

bool codeOfModulationFreq(uint8_t freq, uint8_t& code) {
    for (const auto& e : kCodeTable) {
        if (e.modulationFreq == freq) {
            code = e.code;
            return true;
        }
    }
    return false;
}

uint8_t modulationFreqOfCode(uint8_t code) {
    for (const auto& e : kCodeTable) {
        if (e.code == code) return e.modulationFreq;
    }
    return 0;
}

int coefficientRow(const std::string& model) {
    for (const auto& e : kModelRows) {
        if (model.find(e.token) != std::string::npos) return e.row;
    }
    return 1;
}

double reflectivityCoefficient(int row, uint8_t modulationFreq) {
    if (row < 1 || row > 8 || modulationFreq > 6) return kCoefficients[0][0];
    return kCoefficients[row - 1][modulationFreq];
}

bool sendsRowsUnmirrored(const std::string& model) {
    return model.find("K75") != std::string::npos;
}

std::string ipText(const std::array<uint8_t, 4>& ip) {
    return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
           std::to_string(ip[3]);
}

bool parseIp(const std::string& text, std::array<uint8_t, 4>& ip) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return false;
    if (a > 255 || b > 255 || c > 255 || d > 255) return false;
    ip = {uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)};
    return true;
}

std::string macText(const std::array<uint8_t, 6>& mac) {
    char buf[18];
    std::snprintf(buf, sizeof buf, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3],
                  mac[4], mac[5]);
    return buf;
}

// ---- state file ----

namespace {

using Fields = std::map<std::string, long>;

Fields toFields(const AcquisitionConfig& c) {
    Fields f;
    f["streamCode"] = c.streamCode;
    f["hdrMode"] = c.hdrMode;
    for (int i = 0; i < 5; ++i) {
        f["freqCode" + std::to_string(i + 1)] = c.freqCodes[i];
        f["intTime" + std::to_string(i + 1)] = c.intTimes[i];
    }
    f["intTimeGs"] = c.intTimeGs;
    f["minAmplitude"] = c.minAmplitude;
    f["maxFps"] = c.maxFps;
    f["binningH"] = c.binningH;
    f["binningV"] = c.binningV;
    f["roiX0"] = c.roiX0;
    f["roiY0"] = c.roiY0;
    f["roiX1"] = c.roiX1;
    f["roiY1"] = c.roiY1;
    f["vcselMode"] = c.vcselMode;
    f["channel"] = c.channel;
    f["ptpDomain"] = c.ptpDomain;
    f["integrationLevel"] = c.integrationLevel;
    f["grayscalePlane"] = c.grayscalePlane;
    f["rawDcsPlane"] = c.rawDcsPlane;
    f["cutOn"] = c.cutOn;
    for (int i = 0; i < 4; ++i) f["cut" + std::to_string(i)] = c.cut[i];
    f["offsetOn"] = c.offsetOn;
    f["offsetMm"] = c.offsetMm;
    f["maxLightEnergy"] = c.maxLightEnergy;
    f["tempCoefficient"] = c.tempCoefficient;
    f["compensation0"] = c.compensation[0];
    f["compensation1"] = c.compensation[1];
    f["distanceScale"] = c.distanceScale;
    return f;
}

template <typename T>
void take(const Fields& f, const std::string& key, T& out, long lo, long hi) {
    const auto it = f.find(key);
    if (it != f.end() && it->second >= lo && it->second <= hi) out = T(it->second);
}

}  // namespace

bool saveConfig(const std::string& path, const AcquisitionConfig& config) {
    if (path.empty()) return false;
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!out) return false;
        for (const auto& [key, value] : toFields(config)) out << key << '=' << value << '\n';
        if (!out.good()) return false;
    }
    // Replace in one step so that a crash never leaves half a file.
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool loadConfig(const std::string& path, AcquisitionConfig& config) {
    std::ifstream in(path);
    if (!in) return false;
    Fields f;
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        try {
            f[line.substr(0, eq)] = std::stol(line.substr(eq + 1));
        } catch (...) {
            // A malformed value keeps that field's current setting.
        }
    }
    AcquisitionConfig c = config;
    take(f, "streamCode", c.streamCode, 1, 3);
    take(f, "hdrMode", c.hdrMode, 0, 2);
    for (int i = 0; i < 5; ++i) {
        take(f, "freqCode" + std::to_string(i + 1), c.freqCodes[i], 0, 255);
        take(f, "intTime" + std::to_string(i + 1), c.intTimes[i], 0, 65535);
    }
    take(f, "intTimeGs", c.intTimeGs, 0, 65535);
    take(f, "minAmplitude", c.minAmplitude, 0, 65535);
    take(f, "maxFps", c.maxFps, 1, 50);
    take(f, "binningH", c.binningH, 0, 1);
    take(f, "binningV", c.binningV, 0, 1);
    AcquisitionConfig roi = c;
    take(f, "roiX0", roi.roiX0, 0, 319);
    take(f, "roiY0", roi.roiY0, 0, 239);
    take(f, "roiX1", roi.roiX1, 0, 319);
    take(f, "roiY1", roi.roiY1, 0, 239);
    if (roi.roiX1 >= roi.roiX0 && roi.roiY1 >= roi.roiY0) c = roi;
    take(f, "vcselMode", c.vcselMode, 0, 3);
    take(f, "channel", c.channel, 0, 15);
    take(f, "ptpDomain", c.ptpDomain, 0, 255);
    take(f, "integrationLevel", c.integrationLevel, 0, 255);
    take(f, "grayscalePlane", c.grayscalePlane, 0, 1);
    take(f, "rawDcsPlane", c.rawDcsPlane, 0, 1);
    take(f, "cutOn", c.cutOn, 0, 1);
    for (int i = 0; i < 4; ++i) take(f, "cut" + std::to_string(i), c.cut[i], 0, 65535);
    take(f, "offsetOn", c.offsetOn, 0, 1);
    take(f, "offsetMm", c.offsetMm, 0, 65535);
    take(f, "maxLightEnergy", c.maxLightEnergy, 0, 65535);
    take(f, "tempCoefficient", c.tempCoefficient, -2147483647L - 1, 2147483647L);
    take(f, "compensation0", c.compensation[0], 0, 255);
    take(f, "compensation1", c.compensation[1], 0, 255);
    take(f, "distanceScale", c.distanceScale, 1, 16);
    config = c;
    return true;
}

}  // namespace camsim
