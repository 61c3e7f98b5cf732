#include "FrameView.h"

namespace Movoda::sdkfilter {

FrameView viewOf(IFrame& frame, bool withMarks) {
    FrameView view;
    const uint8_t flags = frame.dataFlags();
    if ((flags & kPlaneDistance) == 0) return view;
    const uint64_t pixels = static_cast<uint64_t>(frame.width()) * frame.height();
    if (pixels == 0 || pixels > frame.pixelCount()) return view;
    view.distance = frame.distanceData();
    if (view.distance == nullptr) return view;
    view.width = frame.width();
    view.height = frame.height();
    if (flags & kPlaneAmplitude) {
        view.amplitude = frame.amplitudeData();
        view.reflectivity = frame.reflectivityData();
    }
    if (withMarks) view.marks = frame.pixelMarkData();
    return view;
}

}  // namespace Movoda::sdkfilter
