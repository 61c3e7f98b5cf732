#include "SampleWindow.h"

#include <algorithm>
#include <cmath>

SampleWindow::SampleWindow(size_t capacity) : capacity_(std::max<size_t>(capacity, 1)) {}

void SampleWindow::add(double value)
{
    values_.push_back(value);
    while (values_.size() > capacity_)
        values_.pop_front();
}

void SampleWindow::clear()
{
    values_.clear();
}

double SampleWindow::average() const
{
    if (values_.empty())
        return 0.0;
    double sum = 0.0;
    for (double v : values_)
        sum += v;
    return sum / double(values_.size());
}

double SampleWindow::standardDeviation() const
{
    if (values_.size() < 2)
        return 0.0;
    const double mean = average();
    double squares = 0.0;
    for (double v : values_)
        squares += (v - mean) * (v - mean);
    return std::sqrt(squares / double(values_.size() - 1));
}

double SampleWindow::maximum() const
{
    if (values_.size() < 2)
        return 0.0;
    return *std::max_element(values_.begin(), values_.end());
}

double SampleWindow::minimum() const
{
    if (values_.size() < 2)
        return 0.0;
    return *std::min_element(values_.begin(), values_.end());
}
