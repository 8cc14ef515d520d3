// Median and median absolute deviation of every window of a fixed odd size sliding over a
// sequence, in O(n log w) for the medians and O(log w (1 + log d)) per window for the deviations,
// where d is how far the deviation's rank block moved since the previous window (a few ranks on
// noise; at most w).
//
// Method: the sequence is cut into chunks of 3w window starts. The 4w - 1 values that the windows
// of one chunk can hold are sorted once (O(w log w) per chunk, O(n log w) in all), and a Fenwick
// tree over their sorted positions counts which of them are in the current window. Sliding by one
// sample removes one count and adds one. The k-th smallest value of the window is found by one
// descent of the tree.
//
// The median absolute deviation of a window x_(1) <= ... <= x_(w), w = 2h + 1, with median
// m = x_(h+1), is the (h+1)-th smallest |x - m|. The h + 1 values nearest to m are a block of
// consecutive ranks [i, i + h] with 1 <= i <= h + 1, and the deviation is the smallest of
// max(m - x_(i), x_(i+h) - m) over those blocks. The first term falls and the second rises with
// i, so the best block is where they cross: found by a galloping search that starts from the
// previous window's crossing, two tree descents per probe (the last few order statistics are
// remembered, so the usual case of an unmoved crossing costs four descents in all). The result is
// one of the window's differences m - x or x - m, so it equals, bit for bit, what a sort of every
// window gives.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace opm::detail {

class SlidingOrderStatistics {
public:
    // Windows of `window` samples (odd, 1 <= window <= n) over values[0..n-1]; values must stay
    // alive and unchanged while the object is used. Allocates O(window) storage.
    SlidingOrderStatistics(const double* values, std::size_t n, std::size_t window);

    // Visits the windows in order: for start = 0 .. n - window, calls
    // visit(start, median, deviation) where deviation is the median absolute deviation of
    // values[start .. start + window - 1] (not scaled). With wantDeviation false, deviation is
    // passed as 0 and not computed.
    template <class Visit> void ForEachWindow(bool wantDeviation, Visit&& visit) {
        for (std::size_t start = 0; start + m_window <= m_n; ++start) {
            Advance(start);
            const double median = Smallest(m_half + 1);
            visit(start, median, wantDeviation ? Deviation(median) : 0.0);
        }
    }

private:
    void Advance(std::size_t start);   // makes the tree hold values[start .. start + window - 1]
    void LoadChunk(std::size_t start); // sorts the values of the chunk that begins at start
    void Add(std::size_t position, int delta);
    double Smallest(std::size_t rank) const; // rank from 1
    double Remembered(std::size_t rank);     // Smallest, remembered within one window
    double Deviation(double median);
    bool CrossedAt(std::size_t i, double median); // m - x_(i) <= x_(i+h) - m

    static constexpr std::size_t kChunkWindows = 3; // window starts per chunk, in windows

    const double* m_values;
    std::size_t m_n, m_window, m_half;
    std::size_t m_chunkStart = 0, m_chunkEnd = 0; // window starts served by the loaded chunk
    std::vector<double> m_sorted;                 // the chunk's values, ascending
    std::vector<std::uint32_t> m_position;        // sorted position of values[chunkStart + k]
    std::vector<std::pair<double, std::uint32_t>> m_order; // sorting work: value, index
    std::vector<int> m_tree;   // Fenwick tree over sorted positions, 1-based
    std::size_t m_treeTop = 1; // highest power of two <= tree size
    std::size_t m_crossing;    // previous window's crossing rank i
    std::array<std::pair<std::size_t, double>, 4> m_remembered{}; // rank, value
    std::size_t m_nextMemory = 0;
};

// Median of the window of every sample (the family's windows: `window` samples, odd and at most
// n, centred and shifted inwards at the ends).
std::vector<double> MovingMedian(const double* values, std::size_t n, std::size_t window);

} // namespace opm::detail
