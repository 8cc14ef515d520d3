#include "spectrum/SlidingOrderStatistics.h"

#include "spectrum/SlidingWindows.h"

#include <algorithm>
#include <numeric>

namespace opm::detail {

SlidingOrderStatistics::SlidingOrderStatistics(const double* values, std::size_t n,
                                               std::size_t window)
    : m_values(values), m_n(n), m_window(window), m_half(window / 2), m_crossing(window / 2 + 1) {
    const std::size_t capacity = 2 * window - 1;
    m_sorted.reserve(capacity);
    m_position.reserve(capacity);
    m_tree.reserve(capacity + 1);
}

void SlidingOrderStatistics::LoadChunk(std::size_t start) {
    m_chunkStart = start;
    m_chunkEnd = std::min(start + m_window, m_n - m_window + 1);
    const std::size_t count = m_chunkEnd - start + m_window - 1;
    const double* values = m_values + start;
    // Sorted by value, equal values by index: every value gets a position of its own.
    std::vector<std::uint32_t>& order = m_position;
    order.resize(count);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [values](std::uint32_t a, std::uint32_t b) {
        return values[a] < values[b] || (values[a] == values[b] && a < b);
    });
    m_sorted.resize(count);
    m_tree.assign(count + 1, 0);
    for (std::size_t p = 0; p < count; ++p) {
        m_sorted[p] = values[order[p]];
        if (order[p] < m_window) {
            m_tree[p + 1] = 1;
        }
    }
    // order becomes its inverse, the sorted position of each value (in place, by cycles would
    // save little: one pass through a copy of the permutation).
    const std::vector<std::uint32_t> permutation(order);
    for (std::size_t p = 0; p < count; ++p) {
        m_position[permutation[p]] = static_cast<std::uint32_t>(p);
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

bool SlidingOrderStatistics::CrossedAt(std::size_t i, double median) const {
    return median - Smallest(i) <= Smallest(i + m_half) - median;
}

double SlidingOrderStatistics::Deviation(double median) {
    const std::size_t last = m_half + 1; // CrossedAt(last) always holds: its left term is 0
    if (m_half == 0) {
        return 0.0;
    }
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
    return std::min(Smallest(above + m_half) - median, median - Smallest(above - 1));
}

std::vector<double> MovingMedian(const double* values, std::size_t n, std::size_t window) {
    std::vector<double> medians(n - window + 1);
    SlidingOrderStatistics statistics(values, n, window);
    statistics.ForEachWindow(
        false, [&](std::size_t start, double median, double) { medians[start] = median; });
    return spectrum::SpreadToSamples(medians, n, window);
}

} // namespace opm::detail
