#include "CalibrationWorkflow.h"

#include <algorithm>
#include <array>

#include "MaintenanceTexts.h"
#include "ServiceCommands.h"
#include "mvsdk/MvSdk.h"

namespace vantory::maintenance {

namespace {

struct Keyword {
    const char* text;
    int progress;
};

constexpr const char* kStartKeyword = "calibration:start";
constexpr const char* kFinishKeyword = "calibration:finish";
constexpr int kStartProgress = 1;
constexpr int kFinishProgress = 100;
constexpr int kNoProgress = -1;  // a started run before its first log line

// Searched in this order; a later keyword in the same line wins.
constexpr std::array<Keyword, 8> kKeywords = {{
    {"calibration:temperature", 10},
    {"calibration:calcdllStep", 20},
    {"calibration:findRange", 23},
    {"calibration:calibrate:step", 25},
    {"calibration:flash:erase", 60},
    {"calibration:flash:write", 76},
    {"calibration:verify:step", 96},
    {kFinishKeyword, kFinishProgress},
}};

constexpr std::array<const char*, 5> kFrequencyNames = {"12M", "6M", "24M", "3M", "1.5M"};
constexpr const char* kNamePrefix = "标定模组 ";
constexpr const char* kAllFrequencies = "ALL";

}  // namespace

QString calibrationName(const std::optional<int>& frequencyIndex) {
    const char* name = kAllFrequencies;
    if (frequencyIndex) {
        const int last = static_cast<int>(kFrequencyNames.size()) - 1;
        const int index = *frequencyIndex >= 0 && *frequencyIndex < last ? *frequencyIndex : last;
        name = kFrequencyNames[static_cast<std::size_t>(index)];
    }
    return QString::fromUtf8(kNamePrefix) + QString::fromLatin1(name);
}

bool CalibrationWorkflow::start(const CalibrationSetup& setup, const Confirm& confirm) {
    if (!confirm()) return false;
    const auto distance = static_cast<uint16_t>(std::clamp(setup.lensBaseDistance, 0, 0xFFFF));
    // The set-up's answer does not matter: a refused start shows as silence.
    service::send(sdk_,
                  service::calibrationSetupCommand(setup.withLens, distance, sdk_.getEndianFlag()));
    service::send(sdk_, setup.frequencyIndex ? service::calibrateOneCommand(*setup.frequencyIndex)
                                             : service::calibrateAllCommand());
    output_.setStatus(calibrationName(setup.frequencyIndex), kStyleGreen, kTargetCalibrationName);
    output_.setProgress(kNoProgress, true);
    showResult(textIn(mtext::kCalibrationRunning, english_), kStyleGreen);
    state_ = kCalibrationRunning;
    logSeen_ = false;
    // A new run starts from nothing: neither the silence nor the progress of the last
    // run counts against it.
    idleTicks_ = 0;
    progress_ = 0;
    return true;
}

void CalibrationWorkflow::watchLogLine(const std::string& line) {
    if (line.find(kStartKeyword) != std::string::npos) {
        progress_ = kStartProgress;
        output_.setProgress(kStartProgress, true);
        showResult(textIn(mtext::kCalibrationRunning, english_), kStyleGreen);
        state_ = kCalibrationRunning;
    }
    logSeen_ = true;
    for (const Keyword& keyword : kKeywords) {
        if (line.find(keyword.text) != std::string::npos) progress_ = keyword.progress;
    }
    if (line.find(kFinishKeyword) != std::string::npos) {
        progress_ = kFinishProgress;
        showResult(textIn(mtext::kCalibrationDone, english_), kStyleGreen);
        state_ = kCalibrationIdle;
    }
    output_.setProgress(progress_, true);
}

void CalibrationWorkflow::tick() {
    if (state_ <= kCalibrationIdle) return;
    if (logSeen_) {
        logSeen_ = false;
        idleTicks_ = 0;
    } else if (idleTicks_ >= kCalibrationSilentTicks) {
        state_ = kCalibrationIdle;
        idleTicks_ = 0;
        showResult(textIn(mtext::kCalibrationFailed, english_), kStyleRed);
    } else {
        ++idleTicks_;
    }
}

void CalibrationWorkflow::showResult(const QString& text, const QString& style) {
    output_.setStatus(text, style, kTargetCalibrationResult);
}

}  // namespace vantory::maintenance
