#include "control_words.h"

#include <array>
#include <iterator>
#include <utility>

namespace velmora::rtf {

namespace {

using Entry = std::pair<std::string_view, Word>;

constexpr Entry kList[] = {
    {"ab", Word::AssocBold},
    {"af", Word::AssocFont},
    {"afs", Word::AssocFontSize},
    {"aftncn", Word::SkipDestination},
    {"aftnnalc", Word::EndnoteNumbering},
    {"aftnnar", Word::EndnoteNumbering},
    {"aftnnauc", Word::EndnoteNumbering},
    {"aftnnchi", Word::EndnoteNumbering},
    {"aftnnrlc", Word::EndnoteNumbering},
    {"aftnnruc", Word::EndnoteNumbering},
    {"aftnsep", Word::SkipDestination},
    {"aftnsepc", Word::SkipDestination},
    {"aftnstart", Word::EndnoteStart},
    {"ai", Word::AssocItalic},
    {"annotation", Word::SkipDestination},
    {"ansi", Word::Ansi},
    {"ansicpg", Word::AnsiCodePage},
    {"atnauthor", Word::SkipDestination},
    {"atndate", Word::SkipDestination},
    {"atnid", Word::SkipDestination},
    {"atnref", Word::SkipDestination},
    {"author", Word::SkipDestination},
    {"b", Word::Bold},
    {"background", Word::SkipDestination},
    {"bin", Word::Binary},
    {"bkmkend", Word::SkipDestination},
    {"bkmkstart", Word::SkipDestination},
    {"blipuid", Word::SkipDestination},
    {"blue", Word::Blue},
    {"bullet", Word::Bullet},
    {"buptim", Word::SkipDestination},
    {"category", Word::SkipDestination},
    {"cb", Word::ColorBack},
    {"cell", Word::Cell},
    {"cf", Word::ColorFore},
    {"chcbpat", Word::ColorBack},
    {"chftn", Word::FootnoteMark},
    {"colorschememapping", Word::SkipDestination},
    {"colortbl", Word::ColorTable},
    {"comment", Word::SkipDestination},
    {"company", Word::SkipDestination},
    {"cpg", Word::FontCodePage},
    {"creatim", Word::SkipDestination},
    {"cs", Word::CharStyle},
    {"datafield", Word::SkipDestination},
    {"datastore", Word::SkipDestination},
    {"deff", Word::DefaultFont},
    {"do", Word::SkipDestination},
    {"doccomm", Word::SkipDestination},
    {"docvar", Word::SkipDestination},
    {"emdash", Word::EmDash},
    {"emspace", Word::EmSpace},
    {"endash", Word::EnDash},
    {"enspace", Word::EnSpace},
    {"f", Word::Font},
    {"falt", Word::SkipDestination},
    {"fchars", Word::SkipDestination},
    {"fcharset", Word::CharacterSet},
    {"fi", Word::FirstIndent},
    {"file", Word::SkipDestination},
    {"filetbl", Word::SkipDestination},
    {"fldinst", Word::FieldInstruction},
    {"fldrslt", Word::FieldResult},
    {"fldtype", Word::SkipDestination},
    {"fname", Word::SkipDestination},
    {"fonttbl", Word::FontTable},
    {"footer", Word::SkipDestination},
    {"footerf", Word::SkipDestination},
    {"footerl", Word::SkipDestination},
    {"footerr", Word::SkipDestination},
    {"footnote", Word::Footnote},
    {"formfield", Word::SkipDestination},
    {"fs", Word::FontSize},
    {"ftnalt", Word::EndnoteAlt},
    {"ftncn", Word::SkipDestination},
    {"ftnnalc", Word::FootnoteNumbering},
    {"ftnnar", Word::FootnoteNumbering},
    {"ftnnauc", Word::FootnoteNumbering},
    {"ftnnchi", Word::FootnoteNumbering},
    {"ftnnrlc", Word::FootnoteNumbering},
    {"ftnnruc", Word::FootnoteNumbering},
    {"ftnsep", Word::SkipDestination},
    {"ftnsepc", Word::SkipDestination},
    {"ftnstart", Word::FootnoteStart},
    {"generator", Word::SkipDestination},
    {"green", Word::Green},
    {"header", Word::SkipDestination},
    {"headerf", Word::SkipDestination},
    {"headerl", Word::SkipDestination},
    {"headerr", Word::SkipDestination},
    {"highlight", Word::Highlight},
    {"hlinkbase", Word::SkipDestination},
    {"i", Word::Italic},
    {"ilvl", Word::ListLevelIndex},
    {"info", Word::SkipDestination},
    {"keycode", Word::SkipDestination},
    {"keywords", Word::SkipDestination},
    {"latentstyles", Word::SkipDestination},
    {"lchars", Word::SkipDestination},
    {"ldblquote", Word::LDblQuote},
    {"levelfollow", Word::LevelFollow},
    {"levellegal", Word::LevelLegal},
    {"levelnfc", Word::LevelFormat},
    {"levelnfcn", Word::LevelFormat},
    {"levelnorestart", Word::LevelNoRestart},
    {"levelnumbers", Word::LevelNumbers},
    {"levelstartat", Word::LevelStartAt},
    {"leveltext", Word::LevelText},
    {"lfolevel", Word::LfoLevel},
    {"li", Word::LeftIndent},
    {"lin", Word::StartIndent},
    {"line", Word::Line},
    {"list", Word::ListDef},
    {"listid", Word::ListId},
    {"listlevel", Word::ListLevel},
    {"listname", Word::SkipDestination},
    {"listoverride", Word::ListOverride},
    {"listoverridestartat", Word::OverrideStartAt},
    {"listoverridetable", Word::ListOverrideTable},
    {"listpicture", Word::SkipDestination},
    {"listtable", Word::ListTable},
    {"listtext", Word::ListText},
    {"lquote", Word::LQuote},
    {"ls", Word::ListStyle},
    {"ltrch", Word::LtrChar},
    {"ltrmark", Word::LtrMark},
    {"ltrpar", Word::LtrPar},
    {"mac", Word::Mac},
    {"manager", Word::SkipDestination},
    {"mmath", Word::SkipDestination},
    {"mmathPr", Word::SkipDestination},
    {"nestcell", Word::NestCell},
    {"nestrow", Word::NestRow},
    {"nesttableprops", Word::Transparent},
    {"nextfile", Word::SkipDestination},
    {"nonesttables", Word::SkipDestination},
    {"nonshppict", Word::NonShapePicture},
    {"nosupersub", Word::NoSuperSub},
    {"objclass", Word::SkipDestination},
    {"objdata", Word::SkipDestination},
    {"object", Word::Object},
    {"objname", Word::SkipDestination},
    {"oldcprops", Word::SkipDestination},
    {"oldpprops", Word::SkipDestination},
    {"oldsprops", Word::SkipDestination},
    {"oldtprops", Word::SkipDestination},
    {"operator", Word::SkipDestination},
    {"page", Word::Page},
    {"panose", Word::SkipDestination},
    {"par", Word::Par},
    {"pard", Word::Pard},
    {"password", Word::SkipDestination},
    {"passwordhash", Word::SkipDestination},
    {"pc", Word::Pc},
    {"pca", Word::Pca},
    {"pgdsctbl", Word::SkipDestination},
    {"pgptbl", Word::SkipDestination},
    {"pict", Word::Picture},
    {"plain", Word::Plain},
    {"pn", Word::PnDef},
    {"pndec", Word::PnFormat},
    {"pnf", Word::PnFont},
    {"pnlcltr", Word::PnFormat},
    {"pnlcrm", Word::PnFormat},
    {"pnlvlblt", Word::PnBullet},
    {"pnlvlbody", Word::PnBody},
    {"pnord", Word::PnFormat},
    {"pnseclvl", Word::SkipDestination},
    {"pnstart", Word::PnStart},
    {"pntext", Word::PnText},
    {"pntxta", Word::PnTextAfter},
    {"pntxtb", Word::PnTextBefore},
    {"pnucltr", Word::PnFormat},
    {"pnucrm", Word::PnFormat},
    {"printim", Word::SkipDestination},
    {"private", Word::SkipDestination},
    {"protusertbl", Word::SkipDestination},
    {"qc", Word::AlignCenter},
    {"qd", Word::AlignJustify},
    {"qj", Word::AlignJustify},
    {"ql", Word::AlignLeft},
    {"qmspace", Word::QmSpace},
    {"qr", Word::AlignRight},
    {"rdblquote", Word::RDblQuote},
    {"red", Word::Red},
    {"result", Word::Result},
    {"revtbl", Word::SkipDestination},
    {"revtim", Word::SkipDestination},
    {"ri", Word::RightIndent},
    {"rin", Word::EndIndent},
    {"row", Word::Row},
    {"rquote", Word::RQuote},
    {"rsidtbl", Word::SkipDestination},
    {"rtlch", Word::RtlChar},
    {"rtlmark", Word::RtlMark},
    {"rtlpar", Word::RtlPar},
    {"rxe", Word::SkipDestination},
    {"s", Word::Style},
    {"sa", Word::SpaceAfter},
    {"sb", Word::SpaceBefore},
    {"sect", Word::Sect},
    {"shp", Word::Shape},
    {"shpinst", Word::ShapeInstructions},
    {"shppict", Word::ShapePicture},
    {"shprslt", Word::ShapeResult},
    {"shptxt", Word::ShapeText},
    {"sl", Word::LineSpacing},
    {"slmult", Word::LineMultiple},
    {"sn", Word::SkipDestination},
    {"sp", Word::SkipDestination},
    {"strike", Word::Strike},
    {"striked", Word::Strike},
    {"stylesheet", Word::StyleSheet},
    {"sub", Word::Sub},
    {"subject", Word::SkipDestination},
    {"super", Word::Super},
    {"sv", Word::SkipDestination},
    {"tab", Word::Tab},
    {"tc", Word::SkipDestination},
    {"template", Word::SkipDestination},
    {"themedata", Word::SkipDestination},
    {"title", Word::SkipDestination},
    {"txe", Word::SkipDestination},
    {"u", Word::Unicode},
    {"uc", Word::UnicodeSkip},
    {"ud", Word::UnicodeDest},
    {"ul", Word::Underline},
    {"upr", Word::Upr},
    {"userprops", Word::SkipDestination},
    {"v", Word::Hidden},
    {"wgrffmtfilter", Word::SkipDestination},
    {"xe", Word::SkipDestination},
    {"xmlattrname", Word::SkipDestination},
    {"xmlattrvalue", Word::SkipDestination},
    {"xmlnstbl", Word::SkipDestination},
    {"xmlopen", Word::SkipDestination},
    {"zwj", Word::Zwj},
    {"zwnj", Word::Zwnj},
};

// An open-addressing hash table built at compile time: a lookup hashes the word once and
// compares it with one entry, rarely two, where a sorted list needs eight string comparisons.
constexpr std::size_t kTableSize = 1024; // a power of two, over four times the number of words

constexpr uint32_t hashWord(std::string_view word)
{
    uint32_t hash = 2166136261u; // FNV-1a
    for (char c : word)
        hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    return hash;
}

constexpr auto kTable = [] {
    std::array<Entry, kTableSize> table{};
    for (const Entry& entry : kList) {
        std::size_t i = hashWord(entry.first) & (kTableSize - 1);
        while (!table[i].first.empty())
            i = (i + 1) & (kTableSize - 1);
        table[i] = entry;
    }
    return table;
}();
static_assert(std::size(kList) * 4 <= kTableSize);

// Underline has many spellings (\uld, \uldb, \ulwave, ...); all draw a line, \ulnone removes it.
// Every word missing from the table passes here, and LibreOffice writes several of them (\loch,
// \hich, \dbch) before every run: the first two letters are tested by hand, since a library
// string comparison per word showed in profiles.
Word lookupUnderline(std::string_view word)
{
    if (word.size() <= 2 || word[0] != 'u' || word[1] != 'l')
        return Word::Unknown;
    if (word == "ulnone")
        return Word::UnderlineNone;
    return word == "ulc" ? Word::Unknown : Word::Underline;
}

} // namespace

Word lookupWord(std::string_view word)
{
    std::size_t i = hashWord(word) & (kTableSize - 1);
    while (!kTable[i].first.empty()) {
        if (kTable[i].first == word)
            return kTable[i].second;
        i = (i + 1) & (kTableSize - 1);
    }
    return lookupUnderline(word);
}

} // namespace velmora::rtf
