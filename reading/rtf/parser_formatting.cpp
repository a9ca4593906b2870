// Character and paragraph formats, set word by word or taken from a style.

#include "parser.h"

#include <algorithm>

namespace velmora::rtf {

namespace {

// The size RTF gives text whose file names none (\fs24, 12 points).
constexpr uint16_t kDefaultHalfPoints = 24;

// \b, \b1 and \b5 switch on; \b0 switches off.
bool switchedOn(const Token& token)
{
    return !token.hasParameter || token.parameter != 0;
}

// The size \fsN or \afsN gives; \fs0 is not a size, and keeps the one in force.
uint16_t sizeOr(const Token& token, uint16_t current)
{
    return token.hasParameter && token.parameter > 0
               ? static_cast<uint16_t>(std::min<int32_t>(token.parameter, kMaxHalfPoints))
               : current;
}

} // namespace

void Parser::plainCharFormat(CharFormat& f)
{
    f = CharFormat{};
    f.font = m_fonts.slotOf(m_fonts.defaultNumber);
    f.halfPoints = kDefaultHalfPoints;
}

void Parser::applyFileDefaults(Word word, const Token& token)
{
    switch (word) {
    case Word::Ansi: m_fileCodePage = 1252; return;
    case Word::Mac: m_fileCodePage = 10000; return;
    case Word::Pc: m_fileCodePage = 437; return;
    case Word::Pca: m_fileCodePage = 850; return;
    case Word::AnsiCodePage:
        if (token.hasParameter && token.parameter > 0 && token.parameter <= kMaxCodePage)
            m_fileCodePage = token.parameter;
        return;
    case Word::DefaultFont:
        m_fonts.defaultNumber = token.parameter;
        editFormat().font = m_fonts.slotOf(m_fonts.defaultNumber);
        return;
    default: return;
    }
}

void Parser::applyStyle(Word word, const Token& token)
{
    if (word == Word::TableStyleRef) {
        const auto it = m_styles.tableStyles.find(token.hasParameter ? token.parameter : 0);
        if (it != m_styles.tableStyles.end())
            state().para = state().restated.underneath(state().para, it->second);
        return;
    }
    if (word == Word::TableStyle)
        return; // a row's table style: its paragraph formats come by each cell's \yts
    if (word == Word::Style) {
        auto it = m_styles.paragraphStyleLists.find(token.hasParameter ? token.parameter : 0);
        // A style without a list leaves the paragraph's own \ls alone.
        if (it != m_styles.paragraphStyleLists.end() && it->second.override != 0) {
            state().list.override = it->second.override;
            state().list.level = it->second.level;
        }
        return;
    }
    auto it = m_styles.charStyles.find(token.parameter);
    if (it != m_styles.charStyles.end()) {
        editFormat() = it->second.chr;
        state().complex = it->second.complex;
    }
}

void Parser::applyCharacter(Word word, const Token& token)
{
    CharFormat& f = editFormat();
    const bool on = switchedOn(token);
    switch (word) {
    case Word::Plain:
        plainCharFormat(f);
        state().complex = {};
        return;
    case Word::Font: f.font = m_fonts.slotOf(token.parameter); return;
    case Word::FontSize: f.halfPoints = sizeOr(token, f.halfPoints); return;
    case Word::Bold: f.bold = on; return;
    case Word::Italic: f.italic = on; return;
    case Word::Underline: f.underline = on; return;
    case Word::UnderlineNone: f.underline = false; return;
    case Word::Strike: f.strike = on; return;
    case Word::Hidden: f.hidden = on; return;
    case Word::Capitals: f.capitals = on; return;
    case Word::SmallCapitals: f.smallCapitals = on; return;
    case Word::Super: f.vertical = CharFormat::Vertical::Super; return;
    case Word::Sub: f.vertical = CharFormat::Vertical::Sub; return;
    case Word::NoSuperSub: f.vertical = CharFormat::Vertical::Baseline; return;
    case Word::Up:
    case Word::Down: {
        // 6 half points when no amount is given; \up0 and \dn0 bring the text back.
        const int32_t amount = std::clamp<int32_t>(token.hasParameter ? token.parameter : 6,
                                                   -kMaxHalfPoints, kMaxHalfPoints);
        f.raised = static_cast<int16_t>(word == Word::Up ? amount : -amount);
        return;
    }
    case Word::ColorFore: f.color = m_colors.colorAt(token.parameter); return;
    case Word::Highlight:
    case Word::ColorBack: f.background = m_colors.colorAt(token.parameter); return;
    default: applyComplexScript(word, token); return;
    }
}

// \af, \afs, \ab, \ai and the run's direction; in the text and in style entries alike.
void Parser::applyComplexScript(Word word, const Token& token)
{
    ComplexScript& c = state().complex;
    const bool on = switchedOn(token);
    switch (word) {
    case Word::AssocFont:
        if (c.fontOf == AssocFontOf::ComplexScript)
            c.font = m_fonts.slotOf(token.parameter);
        else if (c.fontOf == AssocFontOf::Latin)
            editFormat().font = m_fonts.slotOf(token.parameter);
        return;
    case Word::AssocFontSize: c.halfPoints = sizeOr(token, c.halfPoints); return;
    case Word::AssocBold: c.bold = on; return;
    case Word::AssocItalic: c.italic = on; return;
    case Word::RtlChar:
        c.rightToLeftRun = true;
        c.fontOf = AssocFontOf::ComplexScript;
        return;
    case Word::LtrChar:
        c.rightToLeftRun = false;
        c.fontOf = AssocFontOf::ComplexScript;
        return;
    case Word::LowAnsiChars:
    case Word::HighAnsiChars: c.fontOf = AssocFontOf::Latin; return;
    case Word::DoubleByteChars: c.fontOf = AssocFontOf::EastAsian; return;
    default: return;
    }
}

void Parser::applyParagraph(Word word, const Token& token)
{
    GroupState& s = state();
    ParagraphFormat& p = s.para;
    const int32_t v = token.hasParameter ? token.parameter : 0;
    using F = RestatedFormats;
    F::Field field = F::Align;
    switch (word) {
    case Word::Pard:
        p = {};
        s.logical = {};
        s.restated = {};
        s.list = {};
        s.tableLevel = 0;
        return;
    case Word::AlignLeft: p.align = ParagraphFormat::Align::Left; break;
    case Word::AlignCenter: p.align = ParagraphFormat::Align::Center; break;
    case Word::AlignRight: p.align = ParagraphFormat::Align::Right; break;
    case Word::AlignJustify: p.align = ParagraphFormat::Align::Justify; break;
    case Word::LeftIndent: p.leftIndent = v, field = F::LeftIndent; break;
    case Word::RightIndent: p.rightIndent = v, field = F::RightIndent; break;
    case Word::FirstIndent: p.firstLineIndent = v, field = F::FirstIndent; break;
    case Word::SpaceBefore: p.spaceBefore = v, field = F::SpaceBefore; break;
    case Word::SpaceAfter: p.spaceAfter = v, field = F::SpaceAfter; break;
    case Word::LineSpacing: p.lineSpacing = v, field = F::LineSpacing; break;
    case Word::LineMultiple: p.lineMultiple = v != 0, field = F::LineMultiple; break;
    default: applyDirection(word, token); return;
    }
    s.restated.fields |= field;
}

void Parser::applyDirection(Word word, const Token& token)
{
    GroupState& s = state();
    const int32_t v = token.hasParameter ? token.parameter : 0;
    switch (word) {
    case Word::RtlPar: s.para.rightToLeft = true; return;
    case Word::LtrPar: s.para.rightToLeft = false; return;
    case Word::StartIndent:
        s.logical.start = v;
        s.logical.hasStart = true;
        return;
    case Word::EndIndent:
        s.logical.end = v;
        s.logical.hasEnd = true;
        return;
    default: return;
    }
}

} // namespace velmora::rtf
