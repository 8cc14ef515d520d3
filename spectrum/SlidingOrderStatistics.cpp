#include "spectrum/SlidingOrderStatistics.h"

#include "spectrum/SlidingWindows.h"

#include <algorithm>
#include <numeric>

namespace opm::detail {

SlidingOrderStatistics::SlidingOrderStatistics(const double* values, std::size_t n,
                                               std::size_t window)
    : m_values(values), m_n(n), m_window(window), m_half(window / 2), m_crossing(window / 2 + 1) {
    const std::size_t capacity = (kChunkWindows + 1) * window;
    m_sorted.reserve(capacity);
    m_position.reserve(capacity);
    m_order.reserve(capacity);
    m_tree.reserve(capacity + 1);
}

void SlidingOrderStatistics::LoadChunk(std::size_t start) {
    m_chunkStart = start;
    m_chunkEnd = std::min(start + kChunkWindows * m_window, m_n - m_window + 1);
    const std::size_t count = m_chunkEnd - start + m_window - 1;
    // Sorted by value, equal values by index: every value gets a position of its own.
    m_order.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        m_order[k] = {m_values[start + k], static_cast<std::uint32_t>(k)};
    }
    std::sort(m_order.begin(), m_order.end());
    m_sorted.resize(count);
    m_position.resize(count);
    m_tree.assign(count + 1, 0);
    for (std::size_t p = 0; p < count; ++p) {
        m_sorted[p] = m_order[p].first;
        m_position[m_order[p].second] = static_cast<std::uint32_t>(p);
        if (m_order[p].second < m_window) {
            m_tree[p + 1] = 1;
        }
    }
    // Linear Fenwick build: each node passes its sum on to its parent.
    for (std::size_t node = 1; node <= count; ++node) {
        const std::size_t parent = node + (node & (~node + 1));
        if (parent <= count) {
            m_tree[parent] += m_tree[node];
        }
    }
    m_treeTop = 1;
    while (m_treeTop * 2 <= count) {
        m_treeTop *= 2;
    }
}

void SlidingOrderStatistics::Add(std::size_t position, int delta) {
    for (std::size_t node = position + 1; node < m_tree.size(); node += node & (~node + 1)) {
        m_tree[node] += delta;
    }
}

void SlidingOrderStatistics::Advance(std::size_t start) {
    if (start == 0 || start >= m_chunkEnd) {
        LoadChunk(start);
        return;
    }
    Add(m_position[start - 1 - m_chunkStart], -1);
    Add(m_position[start - 1 + m_window - m_chunkStart], +1);
}

double SlidingOrderStatistics::Smallest(std::size_t rank) const {
    std::size_t node = 0;
    int remaining = static_cast<int>(rank);
    for (std::size_t step = m_treeTop; step != 0; step /= 2) {
        if (node + step < m_tree.size() && m_tree[node + step] < remaining) {
            node += step;
            remaining -= m_tree[node];
        }
    }
    return m_sorted[node];
}

double SlidingOrderStatistics::Remembered(std::size_t rank) {
    for (const auto& [known, value] : m_remembered) {
        if (known == rank) {
            return value;
        }
    }
    const double value = Smallest(rank);
    m_remembered[m_nextMemory] = {rank, value};
    m_nextMemory = (m_nextMemory + 1) % m_remembered.size();
    return value;
}

bool SlidingOrderStatistics::CrossedAt(std::size_t i, double median) {
    return median - Remembered(i) <= Remembered(i + m_half) - median;
}

double SlidingOrderStatistics::Deviation(double median) {
    const std::size_t last = m_half + 1; // CrossedAt(last) always holds: its left term is 0
    if (m_half == 0) {
        return 0.0;
    }
    m_remembered.fill({0, 0.0}); // rank 0 is never asked for
    // Bracket the first crossing as (below, above] by galloping from the previous one, where
    // `below` does not cross (0 stands for "none does") and `above` crosses; then halve.
    std::size_t below = 0, above = last;
    const std::size_t guess = std::min(std::max<std::size_t>(m_crossing, 1), last);
    if (CrossedAt(guess, median)) {
        above = guess;
        for (std::size_t step = 1; above > step; step *= 2) {
            if (!CrossedAt(above - step, median)) {
                below = above - step;
                break;
            }
            above -= step;
        }
    } else {
        below = guess;
        for (std::size_t step = 1; below + step < last; step *= 2) {
            if (CrossedAt(below + step, median)) {
                above = below + step;
                break;
            }
            below += step;
        }
    }
    while (above - below > 1) {
        const std::size_t middle = below + (above - below) / 2;
        (CrossedAt(middle, median) ? above : below) = middle;
    }
    m_crossing = above;
    if (above == 1) {
        return 0.0; // more than half of the window equals its median
    }
    return std::min(Remembered(above + m_half) - median, median - Remembered(above - 1));
}

std::vector<double> MovingMedian(const double* values, std::size_t n, std::size_t window) {
    std::vector<double> medians(n - window + 1);
    SlidingOrderStatistics statistics(values, n, window);
    statistics.ForEachWindow(
        false, [&](std::size_t start, double median, double) { medians[start] = median; });
    return spectrum::SpreadToSamples(medians, n, window);
}

} // namespace opm::detail
