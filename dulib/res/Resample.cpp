#include "dulib/res/Resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double CatmullRom(double x) {
    x = std::fabs(x);
    if (x < 1.0) return 1.5 * x * x * x - 2.5 * x * x + 1.0;
    if (x < 2.0) return -0.5 * x * x * x + 2.5 * x * x - 4.0 * x + 2.0;
    return 0.0;
}

// Per destination index: the first source index and the normalised weights.
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<double> weights;  // count[i] weights per index, back to back
    std::vector<size_t> offset;
};

Taps MakeTaps(int from, int to) {
    Taps t;
    const double ratio = static_cast<double>(from) / to;
    const double widen = std::max(1.0, ratio);  // the filter spans more source pixels when shrinking
    const double support = 2.0 * widen;
    t.first.resize(static_cast<size_t>(to));
    t.count.resize(static_cast<size_t>(to));
    t.offset.resize(static_cast<size_t>(to));
    for (int i = 0; i < to; ++i) {
        const double centre = (i + 0.5) * ratio - 0.5;
        const int lo = static_cast<int>(std::floor(centre - support)) + 1;
        const int hi = static_cast<int>(std::floor(centre + support));
        t.first[static_cast<size_t>(i)] = lo;
        t.count[static_cast<size_t>(i)] = hi - lo + 1;
        t.offset[static_cast<size_t>(i)] = t.weights.size();
        double sum = 0.0;
        for (int k = lo; k <= hi; ++k) {
            const double w = CatmullRom((k - centre) / widen);
            t.weights.push_back(w);
            sum += w;
        }
        if (sum != 0.0)
            for (size_t k = t.offset[static_cast<size_t>(i)]; k < t.weights.size(); ++k) t.weights[k] /= sum;
    }
    return t;
}

BYTE ToByte(double v, double limit) { return static_cast<BYTE>(std::lround(std::clamp(v, 0.0, limit))); }

}  // namespace

bool ResamplePremultiplied(const BYTE* src, int srcStride, int w, int h, BYTE* dst, int dw, int dh) {
    if (!src || !dst || w <= 0 || h <= 0 || dw <= 0 || dh <= 0) return false;
    const Taps across = MakeTaps(w, dw);
    const Taps down = MakeTaps(h, dh);
    // Horizontal pass into doubles (dw x h), then the vertical one.
    std::vector<double> middle(static_cast<size_t>(dw) * h * 4, 0.0);
    for (int y = 0; y < h; ++y) {
        const BYTE* row = src + static_cast<ptrdiff_t>(y) * srcStride;
        for (int x = 0; x < dw; ++x) {
            double acc[4] = {0, 0, 0, 0};
            const size_t xi = static_cast<size_t>(x);
            for (int k = 0; k < across.count[xi]; ++k) {
                const int sx = std::clamp(across.first[xi] + k, 0, w - 1);
                const double weight = across.weights[across.offset[xi] + static_cast<size_t>(k)];
                for (int c = 0; c < 4; ++c) acc[c] += weight * row[sx * 4 + c];
            }
            double* out = &middle[(static_cast<size_t>(y) * dw + xi) * 4];
            for (int c = 0; c < 4; ++c) out[c] = acc[c];
        }
    }
    for (int y = 0; y < dh; ++y) {
        const size_t yi = static_cast<size_t>(y);
        for (int x = 0; x < dw; ++x) {
            double acc[4] = {0, 0, 0, 0};
            for (int k = 0; k < down.count[yi]; ++k) {
                const int sy = std::clamp(down.first[yi] + k, 0, h - 1);
                const double weight = down.weights[down.offset[yi] + static_cast<size_t>(k)];
                const double* in = &middle[(static_cast<size_t>(sy) * dw + static_cast<size_t>(x)) * 4];
                for (int c = 0; c < 4; ++c) acc[c] += weight * in[c];
            }
            BYTE* out = dst + (yi * static_cast<size_t>(dw) + static_cast<size_t>(x)) * 4;
            // Premultiplied colour never exceeds its alpha.
            const BYTE alpha = ToByte(acc[3], 255.0);
            for (int c = 0; c < 3; ++c) out[c] = ToByte(acc[c], alpha);
            out[3] = alpha;
        }
    }
    return true;
}
