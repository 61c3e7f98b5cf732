// A MaintenanceOutput that keeps what it was told, for tests.
#pragma once

#include <mutex>
#include <vector>

#include "MaintenanceOutput.h"

namespace vantory::maintenance {

struct StatusShown {
    QString text;
    QString style;
    int target = 0;
    bool operator==(const StatusShown& o) const {
        return text == o.text && style == o.style && target == o.target;
    }
};

class RecordingOutput : public MaintenanceOutput {
public:
    void setStatus(const QString& text, const QString& style, int target) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statuses_.push_back({text, style, target});
    }
    void setProgress(int value, bool calibration) override {
        std::lock_guard<std::mutex> lock(mutex_);
        (calibration ? calibrationProgress_ : deviceProgress_).push_back(value);
    }
    void timedMessage(const QString& title, const QString& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(title + QStringLiteral(": ") + text);
    }
    std::vector<StatusShown> statuses() const { return copy(statuses_); }
    std::vector<int> calibrationProgress() const { return copy(calibrationProgress_); }
    std::vector<int> deviceProgress() const { return copy(deviceProgress_); }
    std::vector<QString> messages() const { return copy(messages_); }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        statuses_.clear();
        calibrationProgress_.clear();
        deviceProgress_.clear();
        messages_.clear();
    }

private:
    template <typename T>
    T copy(const T& value) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value;
    }
    mutable std::mutex mutex_;
    std::vector<StatusShown> statuses_;
    std::vector<int> calibrationProgress_, deviceProgress_;
    std::vector<QString> messages_;
};

}  // namespace vantory::maintenance
