#pragma once
// DbfHeader: the header of a dBASE III table file, the 32-byte file header and the field
// descriptors up to the 0x0D terminator, as the table layer reads and writes it. Reading
// follows Clipper/Harbour: records are located through the header-length field, fields are
// counted by scanning descriptors up to 0x0D, and the record count is what the file holds,
// not what the header claims.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/date.h"
#include "store/result.h"
#include "store/table.h"

namespace velmoran::store {

inline constexpr std::size_t dbfFileHeaderSize = 32;
inline constexpr std::size_t dbfDescriptorSize = 32;
inline constexpr char dbfHeaderTerminator = 0x0D;
inline constexpr char dbfEndOfFile = 0x1A;
inline constexpr char dbfLiveFlag = ' ';
inline constexpr char dbfDeletedFlag = '*';
inline constexpr unsigned char dbfVersion3 = 0x03;
// Byte 29, the code-page mark: 0x02 = code page 850. Written so that other tools decode the
// umlauts by themselves; never relied on when reading.
inline constexpr unsigned char dbfCodePage850Mark = 0x02;
inline constexpr std::size_t dbfCodePageOffset = 29;

struct DbfHeader {
  std::string fileHeader;  // the 32 bytes as read (or as made for a new file)
  std::uint32_t statedRecordCount = 0;
  std::uint16_t headerLength = 0;
  std::uint16_t recordLength = 0;
  Structure fields;
  std::vector<int> offsets;  // each field's offset in the record (the flag byte is 0)
};

// The header length stated in the first 32 bytes (0 when there are fewer).
std::uint16_t statedHeaderLength(std::string_view fileStart);

// Reads the header from the first headerLength bytes of a file of fileSize bytes. A damaged
// header comes back as a failure with its reason.
Result<DbfHeader> parseDbfHeader(std::string_view bytes, std::uint64_t fileSize);

// Checks a structure for creating a table: names, types, widths, decimals, record length.
Result<void> checkStructure(const Structure& structure);
// The header of a new table (Clipper layout: 0x0D 0x00 terminator, header length
// 32 * (fields + 1) + 2), no records, dated `date`.
DbfHeader makeDbfHeader(const Structure& structure, const Date& date);
// The complete header bytes for writing, with the record count and date filled in.
std::string headerBytes(const DbfHeader& header, std::uint32_t recordCount, const Date& date);
// Only the first 32 bytes, for updating the record count and date of an open table.
std::string fileHeaderBytes(const DbfHeader& header, std::uint32_t recordCount, const Date& date);

// The record count a file of this size holds (a trailing part record is ignored).
std::uint32_t recordsInFile(const DbfHeader& header, std::uint64_t fileSize);

}  // namespace velmoran::store
