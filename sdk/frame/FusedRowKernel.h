// One pass over a row of interleaved (distance, amplitude) samples of a frame with one
// integration time and one frequency: both planes are decoded and each pixel's
// reflectivity is computed while its values are still in registers, so no plane is
// written twice or read back. The results are those of decoding the row and then running
// the reflectivity kernel over it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/PlaneDecode.h"
#include "frame/ReflectivityKernel.h"

namespace Movoda::fused_row {

struct RowPlanes {
    uint32_t* dist;
    uint16_t* amp;
    float* refl;
    uint16_t* itime;
    uint32_t* raw;
};

enum class Path {
    Scalar,  // plain loops, the reference
    Avx2,    // eight pixels per step; only where the processor has AVX2
};

// The fastest path this processor runs.
Path bestPath();

// Decodes `w` pixels from `src` (4 bytes each, stored reversed when `mirror`) into one
// row of each plane. `in.n` is ignored. Planes of rows whose rows start on a 16-byte
// boundary get the intensity-free planes (raw distance, integration time) with streaming
// stores: nothing in the frame path reads them back; call finishRows() before the frame
// is handed to another thread.
void decodeRow(Path path, const uint8_t* src, size_t w, bool mirror,
               plane_decode::DistanceCode code, const reflectivity::KernelInput& in,
               const RowPlanes& out);

// Orders the streaming stores before later ones.
void finishRows();

}  // namespace Movoda::fused_row
