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

struct Shown {
    std::vector<StatusShown> statuses;
    std::vector<int> calibrationProgress, deviceProgress;
    std::vector<QString> messages;  // "title: text"
};

class RecordingOutput : public MaintenanceOutput {
public:
    void setStatus(const QString& text, const QString& style, int target) override {
        std::lock_guard<std::mutex> lock(mutex_);
        shown_.statuses.push_back({text, style, target});
    }
    void setProgress(int value, bool calibration) override {
        std::lock_guard<std::mutex> lock(mutex_);
        (calibration ? shown_.calibrationProgress : shown_.deviceProgress).push_back(value);
    }
    void timedMessage(const QString& title, const QString& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        shown_.messages.push_back(title + QStringLiteral(": ") + text);
    }
    Shown shown() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return shown_;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        shown_ = Shown();
    }

private:
    mutable std::mutex mutex_;
    Shown shown_;
};

}  // namespace vantory::maintenance
