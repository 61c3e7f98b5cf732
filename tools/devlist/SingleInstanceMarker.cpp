#include "SingleInstanceMarker.h"

namespace devlist {

SingleInstanceMarker::SingleInstanceMarker(const QString& key) : memory_(key) {}

bool SingleInstanceMarker::acquire() {
    // A segment outlives a crashed owner. Attaching and detaching again removes it when
    // no process is attached any more; a live copy stays attached and keeps it.
    if (memory_.attach()) {
        memory_.detach();
    }
    return memory_.create(1, QSharedMemory::ReadWrite);
}

}  // namespace devlist
