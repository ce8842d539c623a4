#pragma once
// Four doubles in one vector register, for the inner loops over J and the
// block stiffnesses that read floats and sum in double. These values never
// leave the kernels they are inlined into, so the calling convention the
// compiler warns about for such types never applies.

#include <cstring>

#pragma GCC diagnostic ignored "-Wpsabi"

namespace vexora {

using Lanes = double __attribute__((vector_size(32)));
using FloatLanes = float __attribute__((vector_size(16)));

// Four floats from p (no alignment needed), widened to double.
__attribute__((always_inline)) inline Lanes loadFloats(const float* p)
{
    FloatLanes f;
    std::memcpy(&f, p, sizeof f);
    return __builtin_convertvector(f, Lanes);
}

}  // namespace vexora
