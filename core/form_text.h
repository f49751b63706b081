// Text routines shared by the windows: letter case, character counts and
// the reading and writing of numbers in text boxes and page fields.
#pragma once

#include <optional>
#include <string>

namespace lumaro {

// UTF-8 text with its letters in upper case: ASCII, Latin-1, Latin
// Extended-A, basic Greek and Cyrillic, and full-width Latin letters.
// Everything else (Chinese has no case) is copied unchanged, and so are
// bytes that do not form valid UTF-8.
std::string UpperCaseText(const std::string& text);
// The same letters in lower case.
std::string LowerCaseText(const std::string& text);

// Characters (not bytes) of UTF-8 text; each Chinese character counts one.
size_t CharacterCount(const std::string& text);

// The text without its first character (all of that character's bytes);
// "" for the empty text.
std::string WithoutFirstCharacter(const std::string& text);

// Text that is a decimal number as a whole ("1", " 2.0 ", "-3e2"); blanks and
// tabs around it are allowed. False for anything else, the empty text included.
bool ReadWholeNumber(const std::string& text, double* value);

// The number at the start of a text (a page field, a field of the reseller
// record), read as the general numeric parser reads it: blanks, tabs and
// line feeds are skipped wherever they occur, then an optional sign, digits,
// a decimal point with digits, and an exponent ("E" or "D", either case,
// with an optional sign and at least one digit) are read as far as they go;
// 0 without any digits. A number too large to hold (beyond about ±1.8e308)
// reads as nothing (nullopt), and the caller decides what that means; one
// too small to hold reads as 0.
std::optional<double> ReadLeadingNumber(const std::string& text);

// Plain decimal text without grouping or exponent, rounded to 15
// significant digits, without trailing zeros ("90", "1.5", "-0.25").
std::string NumberText(double value);

}  // namespace lumaro
