#pragma once
// How values look inside a record: numbers right-aligned with exactly their decimals (a
// number too wide for its field fills it with '*', as Harbour does), dates as YYYYMMDD,
// logicals as T/F, and the key form of numbers in a Clipper NTX index.

#include <optional>
#include <string>
#include <string_view>

#include "store/date.h"
#include "store/table.h"
#include "store/text.h"

namespace velmoran::store {

// The number rounded half away from zero to `decimals` places and right-aligned in `width`
// characters; nothing when it does not fit (or is not finite).
std::optional<std::string> formatNumber(double value, int width, int decimals);
// The same into out (`width` bytes); false when the number does not fit, and out then holds
// anything.
bool formatNumberInto(double value, int width, int decimals, char* out);
// A number given by its sign and plain decimal digits with at most one point ("12", "3.5",
// ".25", "007"), formatted the short way exactly as formatNumberInto formats its value: only
// when that needs no rounding (no more decimals than the field has) and the digits are few
// enough to be exact (13 with the field's decimals); false otherwise, and out is untouched.
bool formatDecimalInto(bool negative, std::string_view digits, int width, int decimals, char* out);
// The field content of a number: formatNumber, or `width` stars when it does not fit.
std::string numberField(double value, int width, int decimals);
// The value of plain decimal digits with at most one point or comma ("12", "3.5", ",25"),
// when it can be computed exactly the short way (15 digits at most); nullopt otherwise.
std::optional<double> simpleDecimal(std::string_view digits);
// The value of a numeric field's content; blanks and anything unreadable are 0.
double parseNumber(std::string_view content);
// Like parseNumber, but nothing for text that is not a number (blanks are 0). A decimal
// comma is accepted as well as a point.
std::optional<double> readNumber(std::string_view text);
// The shortest plain text of a number for a character field ("12.5", "-3", "0").
std::string numberText(double value);

// A numeric key as Clipper writes it into an NTX file for a field of this width and
// decimals: Str() with leading blanks as '0', negatives mapped so that they sort below
// positives and larger magnitudes lower. A value too wide for the key becomes a key below
// (negative) or above (positive) every real key.
std::string numericKey(double value, int width, int decimals);
// The same key for a number given by its sign and plain decimal digits, written into out
// (`width` bytes) when formatDecimalInto can format them; false otherwise.
bool numericKeyOfDecimal(bool negative, std::string_view digits, int width, int decimals,
                         char* out);
// The key of a number field's content (as parseNumber reads it) into out, `width` bytes.
void numericKeyOfContent(std::string_view content, int width, int decimals, char* out);

// A field's content read as Text: character fields converted to Windows-1252 without their
// trailing blanks, numbers as stored without blanks, dates as "DD.MM.YYYY" ("" when empty),
// logicals as "T" or "F" ("" when not set).
Text contentToText(const Field& field, std::string_view content);
// A field's content read as a number: number fields as stored, character fields by their
// text; 0 for anything unreadable and for other types.
double contentToNumber(const Field& field, std::string_view content);
// The content a Text gives a field: character fields converted to code page 850, cut or
// padded to the width; numbers parsed (decimal point or comma) and formatted, blanks when
// empty or unreadable; dates from "DD.MM.YYYY" or "YYYYMMDD", blanks when empty or
// invalid; logicals 'T' for T, Y, J (any case), blank for "", else 'F'.
std::string textToContent(const Field& field, std::string_view text);

// Logical field content: 'T' or 'F'; blank, '?' and anything else read as false.
bool parseLogical(char content);

}  // namespace velmoran::store
