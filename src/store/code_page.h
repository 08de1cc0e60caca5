#pragma once
// Character sets at the edges: tables hold code page 850 (the DOS OEM set), text files and
// memory hold Windows-1252. Text files written by Untis with the UTF-8 option are turned into
// Windows-1252 before they are read.

#include <filesystem>
#include <string>
#include <string_view>

#include "store/text.h"

namespace velmoran::store {

// Windows-1252 -> code page 850. A character that 850 lacks becomes '?'.
std::string toCp850(std::string_view text);
// The same into out, text.size() bytes.
void toCp850(std::string_view text, char* out);
// Code page 850 -> Windows-1252. A character that 1252 lacks becomes '?'.
Text fromCp850(std::string_view oem);
// The same into out, oem.size() bytes.
void fromCp850(std::string_view oem, char* out);

// UTF-8 -> Windows-1252; a character that 1252 lacks becomes '?'. Invalid sequences are
// taken byte by byte as they are.
Text utf8ToWindows1252(std::string_view utf8);
std::string windows1252ToUtf8(std::string_view text);

// True for a byte-order mark, or for text that holds multi-byte sequences and is valid UTF-8
// throughout.
bool isUtf8(std::string_view bytes);
// How many of the first bytes are whole, valid UTF-8 sequences; `multiByte` is set when one
// of them is longer than one byte. For checking a file piece by piece: what follows the
// prefix is either invalid or a sequence that the next piece completes.
std::size_t utf8Prefix(std::string_view bytes, bool& multiByte);
// UTF-16 (without its byte-order mark) -> Windows-1252; a character that 1252 lacks, and a
// surrogate without its partner, becomes '?'. A last odd byte is dropped.
Text utf16ToWindows1252(std::string_view bytes, bool bigEndian);
// The bytes of a text file as Windows-1252: converted when they are UTF-8 (the byte-order
// mark dropped), unchanged otherwise.
Text decodeTextFile(std::string_view bytes);

// A path as the program shows it in messages (Windows-1252).
Text pathText(const std::filesystem::path& file);

}  // namespace velmoran::store
