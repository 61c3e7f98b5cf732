// Frame decoding of both formats (information block and the older short trailer): the
// input is an inner frame packet as the frame intake receives it.
#include "FuzzFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzcheck::decodeInner(data, size);
    return 0;
}
