// The library's one exported entry: the SDK's binding looks it up by name and owns (and
// deletes) the object it returns.
#include <new>

#include "SdkFilter.h"

extern "C" __attribute__((visibility("default"))) Movoda::ISdkFilter* createBaseFilter(
    Movoda::FilterLogFunction log) {
    return new (std::nothrow) Movoda::sdkfilter::SdkFilter(log);
}
