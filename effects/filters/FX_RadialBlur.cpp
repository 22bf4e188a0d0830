#include "effects/filters/FX_RadialBlur.h"

#include <algorithm>

#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"

namespace {

bool inside(int64_t v, int n) { return v >= 0 && v < n; }

// The inward step of column x (>= 0) and of row y (<= 0) for a strength.
int columnStep(int x, int hw, float strength) { return truncToInt(float(float(x + 1 - hw) * strength)); }
int rowStep(int y, int hh, float strength) { return truncToInt(float(float(y - hh) * strength)); }

// One row pair of the walk, pixel by pixel in the walk's order: needed where a source row is also
// written by the same step.
void blurRowInOrder(uint32_t* p, int W, int H, int y, int dy, float strength) {
    const int hw = W / 2;
    auto at = [&](int yy, int x) -> uint32_t& { return p[size_t(yy) * size_t(W) + size_t(x)]; };
    for (int x = hw; x <= W - 2; ++x) {
        const int dx = columnStep(x, hw, strength);
        // A strength outside 0..1 would sample outside the frame: such pixels are left alone.
        if (!inside(int64_t(x) - dx, W) || !inside(int64_t(W) - 1 - x + dx, W)) continue;
        at(y, x) = averagePixels(at(y, x), at(y - dy, x - dx));
        at(y, W - 1 - x) = averagePixels(at(y, W - 1 - x), at(y - dy, W - 1 - x + dx));
        at(H - 1 - y, W - 1 - x) = averagePixels(at(H - 1 - y, W - 1 - x), at(H - 1 - y + dy, W - 1 - x + dx));
        at(H - 1 - y, x) = averagePixels(at(H - 1 - y, x), at(H - 1 - y + dy, x - dx));
    }
}

}  // namespace

namespace reference {
void radialBlur(uint32_t* p, int W, int H, float strength) {
    const int hh = H / 2;
    for (int y = hh - 1; y >= 1; --y) {
        const int dy = rowStep(y, hh, strength);
        if (!inside(int64_t(y) - dy, H) || !inside(int64_t(H) - 1 - y + dy, H)) continue;
        blurRowInOrder(p, W, H, y, dy, strength);
    }
}
}  // namespace reference

FX_RadialBlur::FX_RadialBlur(uint32_t width, uint32_t height, int, float s) : Effect(width, height), strength(s) {
    blendMode = -1;
    runs.reserve(width / 2 + 1);
    rightRuns.reserve(3 * (width / 2 + 1)), leftRuns.reserve(3 * (width / 2 + 1));
    columnSource.resize(width), plan.resize(3 * size_t(width) + 128);
}

void FX_RadialBlur::update() { updateOpacity(); }

// The column steps grow by whole pixels along a row, so the columns fall into runs that share one step:
// within a run the sources are a contiguous range of the source row. Where the source rows differ from
// the two rows being written, the pixels of a step do not depend on one another and each run of each
// quadrant is one vector pass; other rows are walked pixel by pixel.
void FX_RadialBlur::render() {
    const int W = int(width), H = int(height);
    const int hw = W / 2, hh = H / 2;
    uint32_t* p = targetFrame->getPixels();
    runs.clear();
    for (int x = hw; x <= W - 2; ++x) {
        const int dx = columnStep(x, hw, strength);
        if (!inside(int64_t(x) - dx, W) || !inside(int64_t(W) - 1 - x + dx, W)) continue;
        if (!runs.empty() && runs.back().step == dx && runs.back().end == x)
            ++runs.back().end;
        else
            runs.push_back(Run{x, x + 1, dx});
    }
    // The runs as (column, source column, length) triples: right half, then its mirror image.
    rightRuns.clear(), leftRuns.clear();
    for (const Run& r : runs) {
        const int n = r.end - r.begin, mirrored = W - r.end;  // columns W - 1 - x of the run
        rightRuns.insert(rightRuns.end(), {r.begin, r.begin - r.step, n});
        leftRuns.insert(leftRuns.end(), {mirrored, mirrored + r.step, n});
    }
    const int count = int(runs.size());
    // Each written column's source column: with an even width every column is written at most once, and
    // a row is then one pass of whole vectors where the plan allows.
    bool planned = false;
    if (W % 2 == 0) {
        std::fill(columnSource.begin(), columnSource.end(), -1);
        for (const Run& r : runs)
            for (int x = r.begin; x < r.end; ++x) {
                columnSource[size_t(x)] = x - r.step;
                columnSource[size_t(W - 1 - x)] = W - 1 - x + r.step;
            }
        planned = planColumnSources(columnSource.data(), W, plan.data());
    }
    auto row = [&](int y) { return p + size_t(y) * size_t(W); };
    for (int y = hh - 1; y >= 1; --y) {
        const int dy = rowStep(y, hh, strength);
        if (!inside(int64_t(y) - dy, H) || !inside(int64_t(H) - 1 - y + dy, H)) continue;
        const int top = y, bottom = H - 1 - y, topSource = y - dy, bottomSource = H - 1 - y + dy;
        if (topSource == top || topSource == bottom || bottomSource == top || bottomSource == bottom) {
            // The pixel walk, its columns and steps taken from the runs.
            uint32_t *t = row(top), *b = row(bottom);
            const uint32_t *ts = row(topSource), *bs = row(bottomSource);
            for (const Run& r : runs)
                for (int x = r.begin; x < r.end; ++x) {
                    const int m = W - 1 - x;
                    t[x] = averagePixels(t[x], ts[x - r.step]);
                    t[m] = averagePixels(t[m], ts[m + r.step]);
                    b[m] = averagePixels(b[m], bs[m + r.step]);
                    b[x] = averagePixels(b[x], bs[x - r.step]);
                }
            continue;
        }
        // The written and read rows differ, so the columns may go in any order.
        if (planned && averageByPlan(row(top), row(topSource), plan.data(), W)) {
            averageByPlan(row(bottom), row(bottomSource), plan.data(), W);
            continue;
        }
        // A column written twice (the middle one of an odd width) keeps the order of the pixel walk:
        // right half first on top, its mirror first below.
        averageRuns(row(top), row(topSource), rightRuns.data(), count);
        averageRuns(row(top), row(topSource), leftRuns.data(), count);
        averageRuns(row(bottom), row(bottomSource), leftRuns.data(), count);
        averageRuns(row(bottom), row(bottomSource), rightRuns.data(), count);
    }
}
