#pragma once
// Exact search for one UTF-16 needle in a UTF-16 text: the engine behind Rtf1's Find.
// Plain C++ so that it can be tested and measured on its own; letter case is handled by the
// caller, which searches a case-folded copy of the text with a case-folded needle.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

class TextFinder {
public:
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

    explicit TextFinder(std::u16string_view needle);

    // The first position p with from <= p < before where the needle occurs in text (the whole
    // needle inside text, so it may run past before); kNotFound when there is none or the
    // needle is empty.
    std::size_t find(std::u16string_view text, std::size_t from, std::size_t before) const;

    // The same search without vector instructions; find() uses it on machines without them and
    // for the tail of the text, and tests compare both.
    std::size_t findScalar(std::u16string_view text, std::size_t from, std::size_t before) const;

private:
    bool matchesAt(const char16_t* at) const;

    std::u16string m_needle;
};

} // namespace velmora
