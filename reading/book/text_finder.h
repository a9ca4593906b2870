#pragma once
// Exact search for one needle in the bytes of the book's text: the engine behind the book's
// find. Plain C++ so that it can be tested and measured on its own; letter case is handled by
// the caller, which searches a case-folded copy of the text with a case-folded needle.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

class ByteFinder {
public:
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

    explicit ByteFinder(std::string_view needle) : m_needle(needle) {}

    // The first position p with from <= p < before where the needle occurs in text (the whole
    // needle inside text, so it may run past before); kNotFound when there is none or the
    // needle is empty.
    std::size_t find(std::string_view text, std::size_t from, std::size_t before) const;

private:
    bool matchesAt(const char* at) const;
    // One byte at a time: on processors without SSE2, and for the tail of the text.
    std::size_t findScalar(std::string_view text, std::size_t from, std::size_t end) const;

    std::string m_needle;
};

} // namespace velmora
