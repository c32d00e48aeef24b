#pragma once
// Coordinates computed from skin values. A skin may hold any number an int
// holds; placed coordinates are kept within +-2^29, so that a width, or the
// sum of two coordinates, still fits an int.

constexpr int kCoordinateLimit = 1 << 29;

inline int SaturateCoordinate(long long v) {
    if (v > kCoordinateLimit) return kCoordinateLimit;
    if (v < -kCoordinateLimit) return -kCoordinateLimit;
    return static_cast<int>(v);
}
