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

// What a put writes into a field of a record (out: the field's `length` bytes). A character
// field takes text in code page 850, cut or padded to its width; a number field a number
// right-aligned with its decimals, or stars when it does not fit; a date its YYYYMMDD; and a
// field of another type the content the value's text gives it.
void encodeText(const Field& field, std::string_view text, char* out);
void encodeNumber(const Field& field, double number, char* out);
void encodeDate(const Field& field, const Date& date, char* out);

// The content of a source field carried into a target field of the same name, as appendFrom
// does: a wider field keeps the content, a narrower one is cut, another type takes its text.
std::string carryOver(const Field& from, std::string_view content, const Field& to);

}  // namespace velmoran::store
