#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace konvergenz {

// A point of a chart series: step number k and |f(x_k)|, finite and >= 0.
struct ChartPoint {
    long long step = 0;
    double value = 0.0;

    friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

// Thins a series of unknown length, fed one point at a time, down to at most
// max_points points without losing its shape: the first exact_head points
// and the last point are kept, and of each bucket of consecutive points its
// smallest and its largest value. The exact head lets a chart zoom in on the
// first steps of a long series. Memory stays bounded by max_points however
// long the series. max_points should be 8 or more.
//
// The buckets start one point wide; whenever they run out, neighbouring
// pairs are merged and the width doubles. The result is the same as if the
// final width had been used from the start.
class Downsampler {
public:
    explicit Downsampler(std::size_t max_points = 2000, std::size_t exact_head = 100);

    void add(ChartPoint point);

    // The kept points in step order.
    std::vector<ChartPoint> points() const;

private:
    struct Bucket {
        ChartPoint lowest;
        ChartPoint highest;
    };

    void merge_neighbouring_buckets();

    std::size_t head_size_;
    std::size_t max_buckets_;
    std::size_t bucket_width_ = 1;
    std::size_t count_ = 0;
    std::vector<ChartPoint> head_;
    std::optional<ChartPoint> last_;
    std::vector<Bucket> buckets_;
};

}  // namespace konvergenz
