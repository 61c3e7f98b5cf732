// A FilterSink that writes down every call as text, to compare what was sent.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "FilterSender.h"

namespace vantory::filters {

class RecordingSink : public FilterSink {
public:
    std::vector<std::string> calls;

    void setKalmanFilter(uint16_t factor, uint16_t threshold, uint16_t mode) override {
        add("kalman", factor, threshold, mode);
    }
    void setAverageFilter(uint16_t size, uint16_t mode) override { add("average", size, mode); }
    void setEdgeFilter(uint16_t threshold) override { add("edge", threshold); }
    void setMedianFilter(uint16_t kernel) override { add("median", kernel); }
    void setDustFilter(uint16_t threshold, uint16_t frames, uint16_t mode,
                       uint16_t range) override {
        add("dust", threshold, frames, mode, range);
    }
    void setCloudFilter(float divisor, uint8_t on, uint32_t window, uint8_t motion) override {
        add("cloud", divisor, int(on), window, int(motion));
    }
    void setReflectivityFilter(float lower, float upper) override { add("band", lower, upper); }
    void setSmoothFilter(int iterations, int delta, float alpha) override {
        add("smooth", iterations, delta, alpha);
    }

private:
    template <typename... T>
    void add(const char* name, T... values) {
        std::ostringstream out;
        out << name;
        ((out << ' ' << values), ...);
        calls.push_back(out.str());
    }
};

}  // namespace vantory::filters
