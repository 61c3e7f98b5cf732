// Frames from record files, without Python: the file read and checked by the record-file
// library, the packet taken apart and decoded as the live frame path does it, and the
// point cloud computed with the lens the frame carries (or, for files of older cameras,
// the lens stored in the file).
#pragma once

#include <memory>
#include <string>

#include "mvsdk/Frame.h"

namespace vantory_py {

enum class RecordError { None, CannotOpen, Invalid };

struct RecordedFrame {
    std::shared_ptr<const Movoda::Frame> frame;  // empty unless error is None
    RecordError error = RecordError::None;
    std::string message;  // why the file was refused
};

// Thread-safe. `withPoints`: compute the point cloud when a lens is known.
RecordedFrame readRecordedFrame(const std::string& path, bool withPoints);

}  // namespace vantory_py
