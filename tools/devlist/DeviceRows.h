#pragma once

#include <QString>
#include <QVector>

class QListWidget;

namespace devlist {

// One list row per camera, showing its last announcement, with the time of its last
// announcement kept at the same index. Times come from a monotonic clock in
// milliseconds, so ages stay right across midnight and clock changes.
class DeviceRows {
public:
    enum class Outcome { Ignored, Added, Refreshed };

    explicit DeviceRows(QListWidget* list);

    // Adds or refreshes the row of the camera that sent this announcement.
    Outcome announce(const QString& text, qint64 nowMs);

    // Removes every row silent for longer than the limit; returns how many went.
    int expire(qint64 nowMs);

    int count() const;

private:
    QListWidget* list_;
    QVector<qint64> stampsMs_;  // index i belongs to row i of the list
};

}  // namespace devlist
