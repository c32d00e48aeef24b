#pragma once
// High-quality resampling of premultiplied 32-bit pixels (blue, green, red,
// alpha; rows top-down) with a separable Catmull-Rom cubic whose support
// widens with the reduction, so that shrinking averages rather than skips.
// The edges repeat their last pixel: a cell cut from a strip of cells never
// draws in its neighbours.
#include <windows.h>

// Source w x h pixels with `srcStride` bytes per row into a tightly packed
// dw x dh destination. False for a size that is not positive.
bool ResamplePremultiplied(const BYTE* src, int srcStride, int w, int h, BYTE* dst, int dw, int dh);
