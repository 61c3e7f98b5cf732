// Texts of the status line under the images: frame rate with time stamp, distance,
// amplitude (with its suffixes) and temperatures.
#pragma once

#include <QString>

#include <cstdint>

namespace vantory::statusline {

// "<fps> <prefix><time>[ lost]"; the prefix is "tick:", "gps:", "ptp:" or "gptp:" by
// time type, PTP frames show their date text, " lost" marks an unlocked non-tick time.
QString fpsText(std::uint32_t frameRate, std::uint8_t timeType, bool syncLocked, const QString& timeText,
                const QString& ptpDateText);

QString distanceText(std::int32_t distanceMm);

// Both temperatures come in hundredths of a degree Celsius.
QString temperatureText(std::int32_t sensorX100, std::int32_t secondX100);

struct AmplitudeInput {
    std::uint8_t flags = 0;          // the frame's flag byte
    std::int32_t amplitude = 0;
    std::int32_t grayscale = 0;
    float reflectivity = 0.0f;
    bool renderReflectivity = false; // the point-cloud render type is "Reflectivity"
    bool factoryTest = false;
    std::int32_t dust = -1;
    std::int32_t phaseAngle = -1;
};
QString amplitudeText(const AmplitudeInput& in);

}  // namespace vantory::statusline
