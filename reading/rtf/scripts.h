#pragma once
// Which of a run's two sets of character properties a character is drawn with: word processors
// draw the characters of complex scripts (right-to-left ones, and those shaped like the Indic
// scripts) with the associated properties (\af, \afs, \ab, \ai), Latin and other letters with
// the ordinary ones, and the neutral characters with those of the run's direction.

namespace velmora::rtf {

enum class ScriptClass : unsigned char {
    Other,     // letters of Latin, Greek, Cyrillic, CJK, ...: the ordinary properties
    Complex,   // Hebrew, Arabic, Syriac, Thaana, N'Ko, Indic, Thai, ...: the associated ones
    Neutral,   // digits, spaces, punctuation and symbols common to all scripts
    Inherited, // combining marks, joiners and low surrogates: those of the character before
};

// By the Unicode script property of the UTF-16 unit; a high surrogate stands for its plane's
// range, which is all one class where complex scripts are encoded.
ScriptClass scriptClassOf(char16_t unit);

} // namespace velmora::rtf
