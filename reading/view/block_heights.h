#pragma once
// The heights of the view's paragraphs, laid out or estimated, and where each one starts.
// A Fenwick tree keeps both a height change and the search for the paragraph at a given depth
// logarithmic, so a book of any length scrolls, jumps and settles its estimates at the same cost.
// Plain C++, so it can be tested without a window.

#include <cstddef>
#include <vector>

namespace velmora {

class BlockHeights {
public:
    // Replaces everything with these heights.
    void assign(std::vector<double> heights);
    // Replaces the count heights from first on with the given ones (a paragraph split or joined
    // changes the count); first may be size() to append.
    void splice(std::size_t first, std::size_t count, const std::vector<double>& heights);
    void set(std::size_t index, double height);

    std::size_t size() const { return m_heights.size(); }
    double height(std::size_t index) const { return m_heights[index]; }
    double total() const { return m_total; }
    // Where paragraph index starts: the sum of the heights before it (total() for size()).
    double top(std::size_t index) const;
    // The paragraph that covers depth y: the last one whose top is at or above y, clamped to the
    // first and the last; 0 when there is none.
    std::size_t indexAt(double y) const;

private:
    void rebuildTree();

    std::vector<double> m_heights;
    std::vector<double> m_tree; // 1-based Fenwick sums of m_heights
    double m_total = 0;
};

} // namespace velmora
