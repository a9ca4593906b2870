#include "control_words.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace velmora::rtf {

namespace {

using Entry = std::pair<std::string_view, Word>;

constexpr Entry kList[] = {
        {"ansi", Word::Ansi}, {"ansicpg", Word::AnsiCodePage}, {"author", Word::SkipDestination},
        {"b", Word::Bold}, {"bin", Word::Binary}, {"blue", Word::Blue},
        {"buptim", Word::SkipDestination}, {"bullet", Word::Bullet},
        {"cb", Word::ColorBack}, {"cell", Word::Cell}, {"cf", Word::ColorFore},
        {"chcbpat", Word::ColorBack}, {"colortbl", Word::ColorTable},
        {"comment", Word::SkipDestination}, {"creatim", Word::SkipDestination},
        {"cs", Word::CharStyle}, {"datastore", Word::SkipDestination},
        {"deff", Word::DefaultFont}, {"doccomm", Word::SkipDestination},
        {"emdash", Word::EmDash}, {"emspace", Word::EmSpace}, {"endash", Word::EnDash},
        {"enspace", Word::EnSpace}, {"f", Word::Font}, {"fcharset", Word::CharacterSet},
        {"fi", Word::FirstIndent}, {"fldinst", Word::FieldInstruction},
        {"fldrslt", Word::FieldResult}, {"fonttbl", Word::FontTable},
        {"footer", Word::SkipDestination}, {"footerf", Word::SkipDestination},
        {"footerl", Word::SkipDestination}, {"footerr", Word::SkipDestination},
        {"footnote", Word::SkipDestination}, {"fs", Word::FontSize},
        {"ftncn", Word::SkipDestination}, {"ftnsep", Word::SkipDestination},
        {"ftnsepc", Word::SkipDestination}, {"green", Word::Green},
        {"header", Word::SkipDestination}, {"headerf", Word::SkipDestination},
        {"headerl", Word::SkipDestination}, {"headerr", Word::SkipDestination},
        {"highlight", Word::Highlight}, {"i", Word::Italic}, {"info", Word::SkipDestination},
        {"intbl", Word::InTable}, {"keywords", Word::SkipDestination},
        {"ldblquote", Word::LDblQuote}, {"li", Word::LeftIndent},
        {"lin", Word::LeftIndent}, {"line", Word::Line}, {"listoverridetable", Word::SkipDestination},
        {"listtable", Word::SkipDestination}, {"listtext", Word::ListText},
        {"lquote", Word::LQuote}, {"ltrmark", Word::LtrMark}, {"mac", Word::Mac},
        {"nestcell", Word::NestCell}, {"nestrow", Word::NestRow},
        {"nonshppict", Word::NonShapePicture}, {"nosupersub", Word::NoSuperSub},
        {"object", Word::Object}, {"operator", Word::SkipDestination},
        {"page", Word::Page}, {"par", Word::Par}, {"pard", Word::Pard}, {"pc", Word::Pc},
        {"pca", Word::Pca}, {"pict", Word::Picture}, {"plain", Word::Plain},
        {"pntext", Word::PnText}, {"printim", Word::SkipDestination},
        {"private", Word::SkipDestination}, {"qc", Word::AlignCenter}, {"qd", Word::AlignJustify},
        {"qj", Word::AlignJustify}, {"ql", Word::AlignLeft}, {"qmspace", Word::QmSpace},
        {"qr", Word::AlignRight}, {"rdblquote", Word::RDblQuote}, {"red", Word::Red},
        {"result", Word::Result}, {"revtim", Word::SkipDestination}, {"ri", Word::RightIndent},
        {"rin", Word::RightIndent}, {"row", Word::Row}, {"rquote", Word::RQuote},
        {"rtf", Word::Rtf}, {"rtlmark", Word::RtlMark}, {"s", Word::Style},
        {"sa", Word::SpaceAfter}, {"sb", Word::SpaceBefore}, {"sect", Word::Sect},
        {"sectd", Word::Sectd}, {"shppict", Word::ShapePicture}, {"sl", Word::LineSpacing},
        {"slmult", Word::LineMultiple}, {"strike", Word::Strike}, {"striked", Word::Strike},
        {"stylesheet", Word::StyleSheet}, {"sub", Word::Sub}, {"subject", Word::SkipDestination},
        {"super", Word::Super}, {"tab", Word::Tab}, {"title", Word::SkipDestination},
        {"u", Word::Unicode}, {"uc", Word::UnicodeSkip}, {"ul", Word::Underline},
        {"themedata", Word::SkipDestination}, {"colorschememapping", Word::SkipDestination},
        {"latentstyles", Word::SkipDestination}, {"rsidtbl", Word::SkipDestination},
        {"xmlnstbl", Word::SkipDestination}, {"generator", Word::SkipDestination},
        {"mmathPr", Word::SkipDestination}, {"pgdsctbl", Word::SkipDestination},
        {"revtbl", Word::SkipDestination}, {"fchars", Word::SkipDestination},
        {"lchars", Word::SkipDestination}, {"pn", Word::SkipDestination},
        {"pnseclvl", Word::SkipDestination}, {"bkmkstart", Word::SkipDestination},
        {"bkmkend", Word::SkipDestination}, {"xe", Word::SkipDestination},
        {"tc", Word::SkipDestination}, {"userprops", Word::SkipDestination},
        {"template", Word::SkipDestination}, {"docvar", Word::SkipDestination},
        {"company", Word::SkipDestination}, {"manager", Word::SkipDestination},
        {"category", Word::SkipDestination}, {"hlinkbase", Word::SkipDestination},
        {"do", Word::SkipDestination}, {"annotation", Word::SkipDestination},
        {"atnid", Word::SkipDestination}, {"atnauthor", Word::SkipDestination},
        {"atnref", Word::SkipDestination}, {"atndate", Word::SkipDestination},
        {"falt", Word::SkipDestination}, {"panose", Word::SkipDestination},
        {"aftncn", Word::SkipDestination}, {"aftnsep", Word::SkipDestination},
        {"aftnsepc", Word::SkipDestination}, {"objdata", Word::SkipDestination},
        {"objclass", Word::SkipDestination}, {"objname", Word::SkipDestination},
        {"listpicture", Word::SkipDestination}, {"protusertbl", Word::SkipDestination},
        {"fname", Word::SkipDestination}, {"filetbl", Word::SkipDestination},
        {"v", Word::Hidden}, {"zwj", Word::Zwj}, {"zwnj", Word::Zwnj},
};

// Sorted by name at compile time, so a lookup is a binary search.
constexpr auto kWords = [] {
    std::array<Entry, std::size(kList)> words{};
    std::copy(std::begin(kList), std::end(kList), words.begin());
    std::sort(words.begin(), words.end(),
              [](const Entry& a, const Entry& b) { return a.first < b.first; });
    return words;
}();

// Underline has many spellings (\uld, \uldb, \ulwave, ...); all draw a line, \ulnone removes it.
Word lookupUnderline(std::string_view word) {
    if (word == "ulnone")
        return Word::UnderlineNone;
    if (word.size() > 2 && word.substr(0, 2) == "ul" && word != "ulc")
        return Word::Underline;
    return Word::Unknown;
}

} // namespace

Word lookupWord(std::string_view word) {
    auto it = std::lower_bound(kWords.begin(), kWords.end(), word,
                               [](const Entry& e, std::string_view w) { return e.first < w; });
    if (it != kWords.end() && it->first == word)
        return it->second;
    return lookupUnderline(word);
}

} // namespace velmora::rtf
