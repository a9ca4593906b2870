#include "format_tables.h"

#include "code_pages.h"

#include <algorithm>
#include <utility>

namespace velmora::rtf {

void FontSlot::finish()
{
    defined = true;
    const auto notSpace = [](char16_t c) { return c != u' ' && c != u'\t'; };
    name.erase(name.begin(), std::find_if(name.begin(), name.end(), notSpace));
    name.erase(std::find_if(name.rbegin(), name.rend(), notSpace).base(), name.end());
    if (charsetPage == kSymbolPrivatePage || (!hasCharset && isSymbolFontName(name)))
        codePage = symbolFontPage(name);
    else
        codePage = explicitPage ? explicitPage : charsetPage;
}

uint16_t FontTable::slotOf(int32_t number)
{
    if (const uint16_t found = findSlot(number); found != kNoSlot)
        return found;
    if (slots.size() >= kMaxFonts)
        return 0;
    const auto slot = static_cast<uint16_t>(slots.size());
    slots.emplace_back();
    if (number >= 0 && number < kDirectNumbers)
        slotBySmallNumber[std::size_t(number)] = slot;
    else
        slotByNumber.emplace(number, slot);
    return slot;
}

void FontTable::beginEntry(int32_t number)
{
    entryOpen = true;
    entrySlot = slotOf(number);
    slots[entrySlot] = FontSlot{};
}

bool FontTable::finishEntry()
{
    if (!entryOpen)
        return false;
    entryOpen = false;
    entry().finish();
    return true;
}

std::vector<std::string> FontTable::names() const
{
    std::u16string fallback;
    if (const uint16_t slot = findSlot(defaultNumber); slot != kNoSlot)
        fallback = slots[slot].name;
    std::vector<std::string> out;
    out.reserve(slots.size());
    for (const FontSlot& slot : slots) {
        std::string name;
        appendUtf8(name, slot.defined ? slot.name : fallback);
        out.push_back(std::move(name));
    }
    if (out.empty())
        out.emplace_back();
    return out;
}

void ColorTable::apply(Word word, int32_t value)
{
    const int32_t v = std::clamp(value, 0, 255);
    if (word == Word::Red)
        red = v, set = true;
    else if (word == Word::Green)
        green = v, set = true;
    else if (word == Word::Blue)
        blue = v, set = true;
}

void ColorTable::finishEntry()
{
    if (colors.size() < kMaxColors)
        colors.push_back(set ? uint32_t(red << 16 | green << 8 | blue) : CharFormat::kAutoColor);
    red = green = blue = 0;
    set = false;
}

void StyleSheet::beginEntry(std::size_t depth)
{
    entryNumber = 0;
    entryIsChar = false;
    entryIsTable = false;
    entryOpen = true;
    entryDepth = depth;
}

void StyleSheet::finishEntry(const GroupState& s)
{
    if (!entryOpen)
        return;
    entryOpen = false;
    if (entryIsChar)
        charStyles[entryNumber] = {s.chr, s.complex};
    else if (entryIsTable)
        tableStyles[entryNumber] = s.logical.resolve(s.para);
    else
        paragraphStyleLists[entryNumber] = s.list;
}

} // namespace velmora::rtf
