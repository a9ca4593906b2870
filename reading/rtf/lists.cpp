#include "lists.h"

#include "code_pages.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace velmora::rtf {

namespace {

void appendDecimal(std::u16string& out, int32_t n)
{
    char digits[12];
    const int count = std::snprintf(digits, sizeof digits, "%d", n);
    for (int i = 0; i < count; ++i)
        out += static_cast<char16_t>(digits[i]);
}

bool isPrivateUse(char16_t c)
{
    return c >= 0xF000 && c <= 0xF0FF;
}

// \levelfollow: a tab, a space or nothing between the label and the text.
void appendFollow(std::u16string& out, uint8_t follow)
{
    if (follow == 0)
        out += u'\t';
    else if (follow == 1)
        out += u' ';
}

} // namespace

void appendListNumber(std::u16string& out, int32_t n, uint8_t format)
{
    switch (format) {
    case UpperRoman:
    case LowerRoman:
        if (n >= 1 && n <= 3999) {
            static constexpr std::pair<int, std::u16string_view> kNumerals[] = {
                {1000, u"m"}, {900, u"cm"}, {500, u"d"}, {400, u"cd"}, {100, u"c"},
                {90, u"xc"},  {50, u"l"},   {40, u"xl"}, {10, u"x"},   {9, u"ix"},
                {5, u"v"},    {4, u"iv"},   {1, u"i"}};
            const char16_t shift = format == UpperRoman ? 32 : 0;
            for (const auto& [value, numeral] : kNumerals)
                for (; n >= value; n -= value)
                    for (char16_t c : numeral)
                        out += static_cast<char16_t>(c - shift);
            return;
        }
        break;
    case UpperLetter:
    case LowerLetter:
        // a..z, then aa..zz: Word repeats the letter rather than counting in base 26. Past a few
        // rounds the label would only grow, so digits take over.
        if (n >= 1 && n <= 26 * 4) {
            const char16_t base = format == LowerLetter ? u'a' : u'A';
            out.append(static_cast<std::size_t>((n - 1) / 26 + 1),
                       static_cast<char16_t>(base + (n - 1) % 26));
            return;
        }
        break;
    case Ordinal: {
        appendDecimal(out, n);
        const int32_t tens = n % 100, ones = n % 10;
        const bool teen = tens >= 11 && tens <= 13;
        out += !teen && ones == 1   ? u"st"
               : !teen && ones == 2 ? u"nd"
               : !teen && ones == 3 ? u"rd"
                                    : u"th";
        return;
    }
    case LeadingZero:
        if (n >= 0 && n < 10)
            out += u'0';
        break;
    case Bullet:
    case NoNumber: return;
    default: break;
    }
    appendDecimal(out, n);
}

char16_t labelCharacter(char16_t c)
{
    if (!isPrivateUse(c) || c < 0xF020)
        return c;
    if (c == 0xF0B7) // Symbol's bullet, the one Word puts in every bulleted list
        return u'\u2022';
    const auto byte = static_cast<uint8_t>(c & 0xFF);
    if (const char16_t w = singleByteTable(kWingdingsPage)[byte]; !isPrivateUse(w))
        return w;
    if (const char16_t s = singleByteTable(kSymbolFontPage)[byte]; !isPrivateUse(s))
        return s;
    return c;
}

ListTable::Level* ListTable::currentLevel()
{
    if (m_table == Table::Overrides) {
        if (m_overrides.empty() || m_overrides.back().levels.empty())
            return nullptr;
        return &m_overrides.back().levels.back().second;
    }
    if (m_lists.empty() || m_lists.back().levels.empty())
        return nullptr;
    return &m_lists.back().levels.back();
}

void ListTable::applyWord(Word word, int32_t value, bool hasValue, std::string_view text)
{
    const int32_t v = hasValue ? value : 0;
    if (m_table == Table::Overrides) {
        if (word == Word::ListOverride) {
            if (m_overrides.size() < kMaxOverrides)
                m_overrides.emplace_back();
            return;
        }
        if (m_overrides.empty())
            return;
        Override& o = m_overrides.back();
        const bool inLfoLevel = o.lfoLevels >= 1 && o.lfoLevels <= kListLevels;
        switch (word) {
        case Word::ListId: o.listId = v; return;
        case Word::ListStyle: o.number = v; return;
        case Word::LfoLevel:
            ++o.lfoLevels;
            o.startOverride = false;
            return;
        case Word::OverrideStartAt: o.startOverride = true; return;
        case Word::ListLevel:
            if (inLfoLevel && o.levels.size() < kListLevels)
                o.levels.emplace_back(o.lfoLevels - 1, Level{});
            return;
        case Word::LevelFormat:
        case Word::LevelFollow:
        case Word::LevelLegal:
        case Word::LevelNoRestart: break;
        case Word::LevelStartAt:
            // A start inside \lfolevel counts only with \listoverridestartat; kept at least 1 so
            // that 0 can stand for "none".
            if (o.startOverride && inLfoLevel)
                o.startAt[o.lfoLevels - 1] = std::clamp(v, 1, kMaxListStart);
            return;
        default: return;
        }
    }
    if (m_table == Table::Pn) {
        if (m_pns.empty())
            return;
        Pn& pn = m_pns.back();
        switch (word) {
        case Word::PnBody: pn.body = true; return;
        case Word::PnBullet: pn.bullet = true; return;
        case Word::PnStart: pn.start = std::clamp(v, 0, kMaxListStart); return;
        case Word::PnFormat: {
            const std::string_view suffix = text.substr(std::min<std::size_t>(text.size(), 2));
            pn.format = suffix == "ucrm"    ? UpperRoman
                        : suffix == "lcrm"  ? LowerRoman
                        : suffix == "ucltr" ? UpperLetter
                        : suffix == "lcltr" ? LowerLetter
                        : suffix == "ord"   ? Ordinal
                                            : Decimal;
            return;
        }
        default: return;
        }
    }
    Level* level = currentLevel();
    switch (word) {
    case Word::ListDef:
        if (m_lists.size() < kMaxLists)
            m_lists.emplace_back();
        else
            m_lists.back().levels.clear(); // the last slot is read again, and stays bounded
        return;
    case Word::ListLevel:
        if (!m_lists.empty() && m_lists.back().levels.size() < kListLevels)
            m_lists.back().levels.emplace_back();
        return;
    case Word::ListId:
        if (!m_lists.empty())
            m_lists.back().id = v;
        return;
    case Word::LevelFormat:
        if (level)
            level->format = static_cast<uint8_t>(std::clamp(v, 0, 255));
        return;
    case Word::LevelStartAt:
        if (level)
            level->startAt = std::clamp(v, 0, kMaxListStart);
        return;
    case Word::LevelNoRestart:
        if (level)
            level->noRestart = !hasValue || value != 0;
        return;
    case Word::LevelFollow:
        if (level)
            level->follow = static_cast<uint8_t>(std::clamp(v, 0, 2));
        return;
    case Word::LevelLegal:
        if (level)
            level->legal = !hasValue || value != 0;
        return;
    default: return;
    }
}

void ListTable::captureText(std::u16string_view units)
{
    switch (m_capture) {
    case Capture::LevelText:
        // The length unit comes first, so the text may hold one more.
        if (Level* level = currentLevel(); level && level->text.size() <= kMaxLevelText)
            level->text.append(units.substr(0, kMaxLevelText + 1 - level->text.size()));
        return;
    case Capture::PnBefore:
    case Capture::PnAfter:
        if (!m_pns.empty()) {
            std::u16string& s =
                m_capture == Capture::PnBefore ? m_pns.back().before : m_pns.back().after;
            if (s.size() < kMaxLevelText)
                s.append(units.substr(0, kMaxLevelText - s.size()));
        }
        return;
    default: return;
    }
}

void ListTable::captureByte(uint8_t byte)
{
    if (m_capture != Capture::LevelNumbers || byte == ';')
        return;
    if (Level* level = currentLevel(); level && level->numbers.size() < kMaxLevelText)
        level->numbers.push_back(byte);
}

void ListTable::setLevelSymbolPage(int page)
{
    if (Level* level = currentLevel())
        level->symbolPage = page;
}

int16_t ListTable::beginPn()
{
    // Every numbered paragraph of an old file repeats its \pn group; the cap only matters to a
    // hostile file, whose further groups overwrite the last one.
    constexpr std::size_t kMaxPns = 4096;
    if (m_pns.size() < kMaxPns)
        m_pns.emplace_back();
    else
        m_pns.back() = Pn{};
    return static_cast<int16_t>(m_pns.size() - 1);
}

ListTable::List* ListTable::listFor(int32_t overrideNumber, Override** override)
{
    for (Override& o : m_overrides) {
        if (o.number != overrideNumber)
            continue;
        for (List& list : m_lists)
            if (list.id == o.listId) {
                *override = &o;
                return &list;
            }
        return nullptr;
    }
    return nullptr;
}

int32_t ListTable::levelValue(const List& list, std::size_t level) const
{
    if (list.started[level])
        return list.counters[level];
    return list.restartAt[level] ? list.restartAt[level] : list.levels[level].startAt;
}

bool ListTable::definesOverride(int32_t number) const
{
    return std::any_of(m_overrides.begin(), m_overrides.end(),
                       [number](const Override& o) { return o.number == number; });
}

ListTable::LabelOutcome ListTable::nextLabel(const ListRef& ref, std::u16string& out)
{
    // A paragraph that names a list the file never defines has no label in Word or LibreOffice,
    // whatever \listtext or \pn it carries.
    if (ref.override != 0 && !definesOverride(ref.override))
        return LabelOutcome::NoList;
    // \pn numbering counts only where the file has no list table: Word writes both, for older
    // programs.
    if (ref.override == 0 || m_lists.empty())
        return ref.pn >= 0 && m_lists.empty() && pnLabel(ref.pn, out) ? LabelOutcome::Label
                                                                      : LabelOutcome::Unresolved;
    Override* override = nullptr;
    List* list = listFor(ref.override, &override);
    if (!list || ref.level >= list->levels.size())
        return LabelOutcome::Unresolved;
    // An override's start values restart its levels where it is first used.
    if (!override->used) {
        override->used = true;
        for (std::size_t k = 0; k < kListLevels; ++k)
            if (override->startAt[k]) {
                list->restartAt[k] = override->startAt[k];
                list->started[k] = false;
            }
    }
    const std::size_t at = ref.level;
    list->counters[at] = list->started[at] ? std::min(list->counters[at] + 1, kMaxListNumber)
                                           : levelValue(*list, at);
    list->started[at] = true;
    list->restartAt[at] = 0;
    for (std::size_t k = at + 1; k < list->levels.size(); ++k)
        if (!list->levels[k].noRestart)
            list->started[k] = false;

    const Level* replaced = nullptr;
    for (const auto& [number, level] : override->levels)
        if (number == at)
            replaced = &level;
    const Level& level = replaced ? *replaced : list->levels[at];
    if (level.format == Bullet && !level.numbers.empty()) {
        // A bullet level whose text asks for a number shows the bullet alone.
        out += u'\u2022';
        appendFollow(out, level.follow);
        return LabelOutcome::Label;
    }
    const std::u16string& text = level.text;
    const std::size_t length = text.empty() ? 0 : std::min<std::size_t>(text[0], text.size() - 1);
    for (std::size_t i = 1; i <= length; ++i) {
        const char16_t c = text[i];
        const bool placeholder =
            c < kListLevels &&
            (level.numbers.empty() ||
             std::find(level.numbers.begin(), level.numbers.end(), i) != level.numbers.end());
        if (!placeholder) {
            out += labelCharacter(level.symbolPage && c >= 0x20 && c <= 0xFF
                                      ? singleByteTable(level.symbolPage)[c]
                                      : c);
            continue;
        }
        if (c >= list->levels.size())
            continue;
        const uint8_t format = level.legal && c < at ? uint8_t(Decimal) : list->levels[c].format;
        appendListNumber(out, levelValue(*list, c), format);
    }
    appendFollow(out, level.follow);
    return LabelOutcome::Label;
}

bool ListTable::pnLabel(int16_t index, std::u16string& out)
{
    if (static_cast<std::size_t>(index) >= m_pns.size())
        return false;
    const Pn& pn = m_pns[static_cast<std::size_t>(index)];
    if (!pn.bullet && !pn.body)
        return false;
    for (char16_t c : pn.before)
        out += labelCharacter(c);
    if (pn.body) {
        // Paragraphs numbered one after another continue the count; any other paragraph in
        // between starts it again.
        m_pnCounter = m_lastPn >= 0 ? std::min(m_pnCounter + 1, kMaxListNumber) : pn.start;
        appendListNumber(out, m_pnCounter, pn.format);
    }
    for (char16_t c : pn.after)
        out += labelCharacter(c);
    out += u'\t';
    m_lastPn = index;
    return true;
}

} // namespace velmora::rtf
