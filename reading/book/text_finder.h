#pragma once
// Exact search for one needle in a text, both of the same units: UTF-16 units, or the bytes of
// the book's text. The engine behind the book's find. Plain C++ so that it can be tested and
// measured on its own; letter case is handled by the caller, which searches a case-folded copy
// of the text with a case-folded needle.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

template <typename Unit> class BasicTextFinder {
public:
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

    explicit BasicTextFinder(std::basic_string_view<Unit> needle);

    // The first position p with from <= p < before where the needle occurs in text (the whole
    // needle inside text, so it may run past before); kNotFound when there is none or the
    // needle is empty.
    std::size_t find(std::basic_string_view<Unit> text, std::size_t from, std::size_t before) const;

    // The same search without vector instructions; find() uses it on machines without them and
    // for the tail of the text, and tests compare both.
    std::size_t findScalar(std::basic_string_view<Unit> text, std::size_t from,
                           std::size_t before) const;

private:
    bool matchesAt(const Unit* at) const;

    std::basic_string<Unit> m_needle;
};

using TextFinder = BasicTextFinder<char16_t>;
using ByteFinder = BasicTextFinder<char>;

extern template class BasicTextFinder<char16_t>;
extern template class BasicTextFinder<char>;

} // namespace velmora
