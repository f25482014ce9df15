#include "downsampler.hpp"

#include <algorithm>
#include <iterator>

namespace konvergenz {

// Each bucket contributes up to two points, the last point one more.
Downsampler::Downsampler(std::size_t max_points, std::size_t exact_head)
    : head_size_(std::clamp<std::size_t>(exact_head, 1, std::max<std::size_t>(max_points / 4, 1))),
      max_buckets_(
          std::max<std::size_t>(1, (std::max(max_points, head_size_ + 4) - head_size_ - 2) / 2))
{
    head_.reserve(head_size_);
    buckets_.reserve(max_buckets_);
}

void Downsampler::add(ChartPoint point)
{
    if (head_.size() < head_size_) head_.push_back(point);
    last_ = point;

    const std::size_t index = count_++;
    while (index / bucket_width_ >= max_buckets_) merge_neighbouring_buckets();

    const std::size_t bucket = index / bucket_width_;
    if (bucket == buckets_.size()) {
        buckets_.push_back({point, point});
        return;
    }
    Bucket& b = buckets_[bucket];
    if (point.value < b.lowest.value) b.lowest = point;
    if (point.value > b.highest.value) b.highest = point;
}

void Downsampler::merge_neighbouring_buckets()
{
    std::size_t merged = 0;
    for (std::size_t i = 0; i < buckets_.size(); i += 2, ++merged) {
        Bucket b = buckets_[i];
        if (i + 1 < buckets_.size()) {
            const Bucket& next = buckets_[i + 1];
            if (next.lowest.value < b.lowest.value) b.lowest = next.lowest;
            if (next.highest.value > b.highest.value) b.highest = next.highest;
        }
        buckets_[merged] = b;
    }
    buckets_.resize(merged);
    bucket_width_ *= 2;
}

std::vector<ChartPoint> Downsampler::points() const
{
    std::vector<ChartPoint> extremes;
    extremes.reserve(2 * buckets_.size() + 1);
    for (const Bucket& b : buckets_) {
        const bool lowest_first = b.lowest.step <= b.highest.step;
        extremes.push_back(lowest_first ? b.lowest : b.highest);
        extremes.push_back(lowest_first ? b.highest : b.lowest);
    }
    if (last_) extremes.push_back(*last_);

    // Head and extremes are each in step order and overlap where the head
    // ends; merge them and keep every step once.
    const auto by_step = [](const ChartPoint& a, const ChartPoint& b) { return a.step < b.step; };
    std::vector<ChartPoint> result;
    result.reserve(head_.size() + extremes.size());
    std::merge(head_.begin(), head_.end(), extremes.begin(), extremes.end(),
               std::back_inserter(result), by_step);
    const auto same_step = [](const ChartPoint& a, const ChartPoint& b) {
        return a.step == b.step;
    };
    result.erase(std::unique(result.begin(), result.end(), same_step), result.end());
    return result;
}

}  // namespace konvergenz
