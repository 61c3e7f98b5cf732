// The reflectivity-coefficient measurement against a 50 % reference target and the
// temperature/distance log: decisions on the sample windows' averages, no widgets.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace vantory::framepath {

// Coefficient that turns the averaged amplitude of a 50 % target at 1 m, taken with
// the first integration time t (microseconds), into its reflectivity. Empty when the
// averages are unusable (no signal, saturated, no distance) or t is not positive.
std::optional<double> reflectivityCoefficient(double amplitudeAverage, double distanceAverage, int firstIntTimeUs);

// "ampavg = <a> <d>" and "find reflectcoef:: <c>" as printed while measuring.
QString measurementLine(double amplitudeAverage, double distanceAverage);
QString coefficientLine(double coefficient);

// Decides when a temperature/distance line is logged: once per change of the sensor
// temperature, and only with a full distance window and a positive integration time.
class TempDistLog {
public:
    // The line to emit, or empty.
    std::optional<QString> next(int temperatureX100, bool windowFull, double distanceAverage, int firstIntTimeUs);
    void reset() { hasLast_ = false; }

private:
    bool hasLast_ = false;
    int lastTemperature_ = 0;
};

}  // namespace vantory::framepath
