#include "block_heights.h"

#include <algorithm>
#include <bit>

namespace velmora {

void BlockHeights::assign(std::vector<double> heights)
{
    m_heights = std::move(heights);
    rebuildTree();
}

void BlockHeights::splice(std::size_t first, std::size_t count, const std::vector<double>& heights)
{
    first = std::min(first, m_heights.size());
    count = std::min(count, m_heights.size() - first);
    const auto at = m_heights.begin() + static_cast<std::ptrdiff_t>(first);
    if (count == heights.size()) {
        for (std::size_t i = 0; i < count; ++i)
            set(first + i, heights[i]);
        return;
    }
    m_heights.erase(at, at + static_cast<std::ptrdiff_t>(count));
    m_heights.insert(m_heights.begin() + static_cast<std::ptrdiff_t>(first), heights.begin(),
                     heights.end());
    rebuildTree();
}

void BlockHeights::rebuildTree()
{
    // The linear construction: each node passes its sum on to its parent once.
    const std::size_t n = m_heights.size();
    m_tree.assign(n + 1, 0.0);
    m_total = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        m_tree[i] += m_heights[i - 1];
        m_total += m_heights[i - 1];
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n)
            m_tree[parent] += m_tree[i];
    }
}

void BlockHeights::set(std::size_t index, double height)
{
    const double delta = height - m_heights[index];
    if (delta == 0)
        return;
    m_heights[index] = height;
    m_total += delta;
    for (std::size_t i = index + 1; i < m_tree.size(); i += i & (~i + 1))
        m_tree[i] += delta;
}

double BlockHeights::top(std::size_t index) const
{
    double sum = 0;
    for (std::size_t i = std::min(index, m_heights.size()); i > 0; i -= i & (~i + 1))
        sum += m_tree[i];
    return sum;
}

std::size_t BlockHeights::indexAt(double y) const
{
    const std::size_t n = m_heights.size();
    if (n == 0 || y <= 0)
        return 0;
    // Descends the tree for the longest prefix whose sum stays at or below y.
    std::size_t position = 0;
    double remaining = y;
    for (std::size_t step = std::bit_floor(n); step > 0; step >>= 1) {
        const std::size_t next = position + step;
        if (next <= n && m_tree[next] <= remaining) {
            position = next;
            remaining -= m_tree[next];
        }
    }
    // position paragraphs end at or above y; zero-height ones at the very depth count as above.
    return std::min(position, n - 1);
}

} // namespace velmora
