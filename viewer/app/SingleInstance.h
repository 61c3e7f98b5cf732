// Refuses a second live copy of the same viewer instance.
#pragma once

#include <QSharedMemory>
#include <QString>

namespace vantory {

class SingleInstance {
public:
    explicit SingleInstance(const QString& key);
    // True when this process now holds the marker. A marker left behind by a process
    // that died without releasing it does not count.
    bool acquire();
    bool held() const { return held_; }

private:
    QSharedMemory marker_;
    bool held_ = false;
};

}  // namespace vantory
