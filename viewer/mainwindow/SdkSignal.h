// Relay from SDK threads to the GUI thread: it lives on the GUI thread, so signals
// emitted from other threads reach their receivers queued.
#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

using MvByteArray = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(MvByteArray)

namespace vantory {

class SdkSignal : public QObject {
    Q_OBJECT
public:
    explicit SdkSignal(QObject* parent = nullptr);

signals:
    void addlogstr(QString logstr);
    void addCaldata(MvByteArray data);
    void updateUiThread(int uitype);
};

}  // namespace vantory
