// The pixel statistics' plain path, built beside the SSE2 one so that a
// test can compare their bits.
#undef __SSE2__
#define ComputePixelStats ComputePixelStatsPlain
#include "output/overview/pixel_stats.cpp"
