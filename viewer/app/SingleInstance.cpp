#include "SingleInstance.h"

namespace vantory {

SingleInstance::SingleInstance(const QString& key) : marker_(key) {}

bool SingleInstance::acquire() {
    if (held_) return true;
    // A System V segment outlives a crashed owner. Attaching and detaching again
    // removes it when nobody else is attached; a live owner keeps it in place.
    if (marker_.attach()) marker_.detach();
    held_ = marker_.create(1, QSharedMemory::ReadWrite);
    return held_;
}

}  // namespace vantory
