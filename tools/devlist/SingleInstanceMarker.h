#pragma once

#include <QSharedMemory>
#include <QString>

namespace devlist {

// A one-byte shared-memory segment that tells whether a copy of the program runs.
// The segment of a copy that died without cleaning up does not count.
class SingleInstanceMarker {
public:
    explicit SingleInstanceMarker(const QString& key);

    // True when this process now owns the marker; false while another live copy holds it.
    bool acquire();

private:
    QSharedMemory memory_;
};

}  // namespace devlist
