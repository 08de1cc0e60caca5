#pragma once
// Text is the program's own character set: Windows-1252 bytes in a std::string. Every
// "first n characters", padding and width rule counts bytes, which are characters. Narrow
// string literals are compiled as Windows-1252 (the build sets the execution character
// set), so "Müller" in code and tests is already Text; UTF-8 bytes need escapes.

#include <string>
#include <string_view>

namespace velmoran {

using Text = std::string;

Text trim(std::string_view s);
// The part of s without leading and trailing blanks, as trim() gives it, without a copy.
std::string_view trimmedView(std::string_view s);
// The part of s without leading blanks; without trailing blanks.
std::string_view trimmedLeft(std::string_view s);
std::string_view trimmedRight(std::string_view s);
Text trimLeft(std::string_view s);
Text trimRight(std::string_view s);
// Upper case as the tables' UPPER() does it: a-z and the umlauts ä, ö, ü.
Text upper(std::string_view s);
void makeUpper(Text& s);  // the same, in place
// Cut to n characters or pad with blanks on the right to n characters.
Text padRight(std::string_view s, std::size_t n);
// Pad with blanks on the left to n characters (a longer text is returned whole).
Text padLeft(std::string_view s, std::size_t n);
// The first n characters (all of s when shorter).
Text left(std::string_view s, std::size_t n);
// Whether a and b are the same apart from the case of a-z (names of fields and files).
bool sameIgnoringCase(std::string_view a, std::string_view b);
// Every blank removed.
Text removeBlanks(std::string_view s);

}  // namespace velmoran
