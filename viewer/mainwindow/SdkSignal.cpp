#include "SdkSignal.h"

namespace vantory {

SdkSignal::SdkSignal(QObject* parent) : QObject(parent) {
    qRegisterMetaType<MvByteArray>("MvByteArray");
}

}  // namespace vantory
