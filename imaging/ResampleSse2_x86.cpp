// The resampler built once more with SSE2, for 32-bit x86 processors that have it.
#define BRIVELLE_RESAMPLE_SSE2_COPY
#include "imaging/Resample.cpp"
