#pragma once

#include <cstddef>
#include <deque>

// Rolling window of the most recent values with their statistics.
class SampleWindow {
public:
    static constexpr size_t kDefaultCapacity = 100;

    explicit SampleWindow(size_t capacity = kDefaultCapacity);

    void add(double value);   // drops the oldest value once the window is full
    void clear();

    size_t count() const { return values_.size(); }
    size_t capacity() const { return capacity_; }
    bool full() const { return values_.size() >= capacity_; }

    double average() const;            // 0 when empty
    double standardDeviation() const;  // sample form; 0 with fewer than 2 values
    double maximum() const;            // 0 with fewer than 2 values
    double minimum() const;            // 0 with fewer than 2 values

private:
    size_t capacity_;
    std::deque<double> values_;
};
