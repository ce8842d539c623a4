#pragma once
// Inner loops that the vector units take: where the processor has AVX2 and
// FMA, a clone of the marked function built for them is picked at load
// time, so one binary serves every x86-64 machine at full speed.

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VEXORA_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define VEXORA_VECTOR_CLONES
#endif
