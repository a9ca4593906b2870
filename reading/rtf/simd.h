#pragma once
// Whether the paths that handle sixteen bytes at once are built: where the processor has SSE2
// (every x86-64 one) and the build does not ask for the plain loops that other processors run
// (cmake -DVELMORA_SIMD=OFF, the preset "scalar"), which are then built and tested here too.

#if defined(__SSE2__) && !defined(VELMORA_NO_SIMD)
#define VELMORA_SSE2 1
#include <emmintrin.h>
#endif
