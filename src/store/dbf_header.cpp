#include "store/dbf_header.h"

#include <algorithm>
#include <limits>

#include "store/little_endian.h"

namespace velmoran::store {

namespace {

constexpr std::size_t maxFields = 128;
constexpr int maxRecordLength = 4000;
constexpr std::size_t nameSize = 11;  // ten characters and a NUL

bool isNameChar(char c, bool first) {
  if (c >= 'A' && c <= 'Z') return true;
  if (first) return false;
  return (c >= '0' && c <= '9') || c == '_';
}

Text upperAscii(std::string_view s) {
  Text out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

Result<Field> parseDescriptor(std::string_view d) {
  std::string_view rawName = d.substr(0, nameSize);
  rawName = rawName.substr(0, std::min(rawName.find('\0'), rawName.size()));
  while (!rawName.empty() && rawName.back() == ' ') rawName.remove_suffix(1);
  if (rawName.empty()) return fail("a field descriptor has no name");
  Field f;
  f.name = std::string(rawName);
  f.type = static_cast<char>(upperAscii(std::string_view(&d[11], 1))[0]);
  auto len = static_cast<unsigned char>(d[16]);
  auto dec = static_cast<unsigned char>(d[17]);
  switch (f.type) {
    case 'C':
      // Clipper stores the high byte of a long character field's width in the decimals byte.
      f.length = len + 256 * dec;
      break;
    case 'N':
      f.length = len;
      f.decimals = dec;
      if (dec > 0 && dec >= len) return fail("field " + f.name + " has more decimals than width");
      break;
    case 'D':
    case 'L':
      f.length = len;
      break;
    default:
      return fail("field " + f.name + " has the unsupported type '" + std::string(1, f.type) + "'");
  }
  if (f.length <= 0) return fail("field " + f.name + " has no width");
  return f;
}

}  // namespace

std::uint16_t statedHeaderLength(std::string_view fileStart) {
  return fileStart.size() < dbfFileHeaderSize ? 0 : le16(fileStart.data() + 8);
}

Result<DbfHeader> parseDbfHeader(std::string_view bytes, std::uint64_t fileSize) {
  if (bytes.size() < dbfFileHeaderSize || fileSize < dbfFileHeaderSize)
    return fail("not a dBASE table: the file is too short");
  auto version = static_cast<unsigned char>(bytes[0]);
  if ((version & 0x07) != dbfVersion3)
    return fail("not a dBASE III table: version byte " + std::to_string(version));
  DbfHeader h;
  h.fileHeader = std::string(bytes.substr(0, dbfFileHeaderSize));
  h.statedRecordCount = le32(bytes.data() + 4);
  h.headerLength = le16(bytes.data() + 8);
  h.recordLength = le16(bytes.data() + 10);
  if (h.headerLength < dbfFileHeaderSize + dbfDescriptorSize + 1)
    return fail("damaged table: header length " + std::to_string(h.headerLength) + " is too small");
  if (h.headerLength > fileSize || h.headerLength > bytes.size())
    return fail("damaged table: header length " + std::to_string(h.headerLength) +
                " lies beyond the end of the file");
  if (h.recordLength < 2)
    return fail("damaged table: record length " + std::to_string(h.recordLength));
  int end = 1;
  for (std::size_t at = dbfFileHeaderSize;
       at + dbfDescriptorSize <= h.headerLength && bytes[at] != dbfHeaderTerminator;
       at += dbfDescriptorSize) {
    if (h.fields.size() == std::numeric_limits<std::uint16_t>::max()) break;
    auto field = parseDescriptor(bytes.substr(at, dbfDescriptorSize));
    if (!field) return fail("damaged table: " + field.reason());
    h.offsets.push_back(end);
    end += field->length;
    h.fields.push_back(std::move(*field));
  }
  if (h.fields.empty()) return fail("damaged table: no fields");
  if (end > h.recordLength)
    return fail("damaged table: record length " + std::to_string(h.recordLength) +
                " is shorter than the fields' " + std::to_string(end) + " bytes");
  return h;
}

Result<void> checkStructure(const Structure& structure) {
  if (structure.empty()) return fail("a table needs at least one field");
  if (structure.size() > maxFields) return fail("more than 128 fields");
  int recordLength = 1;
  for (std::size_t i = 0; i < structure.size(); ++i) {
    const Field& f = structure[i];
    Text name = upperAscii(f.name);
    bool nameOk = !name.empty() && name.size() < nameSize;
    for (std::size_t k = 0; nameOk && k < name.size(); ++k) nameOk = isNameChar(name[k], k == 0);
    if (!nameOk) return fail("invalid field name '" + f.name + "'");
    for (std::size_t j = 0; j < i; ++j)
      if (upperAscii(structure[j].name) == name) return fail("field " + name + " occurs twice");
    bool widthOk = false;
    switch (f.type) {
      case 'C':
        widthOk = f.length >= 1 && f.length <= 254 && f.decimals == 0;
        break;
      case 'N':
        widthOk = f.length >= 1 && f.length <= 19 && f.decimals >= 0 && f.decimals <= 15 &&
                  (f.decimals == 0 || f.decimals <= f.length - 2);
        break;
      case 'D':
        widthOk = f.length == 8 && f.decimals == 0;
        break;
      case 'L':
        widthOk = f.length == 1 && f.decimals == 0;
        break;
      default:
        return fail("field " + name + " has the unsupported type '" + std::string(1, f.type) + "'");
    }
    if (!widthOk)
      return fail("field " + name + " cannot have width " + std::to_string(f.length) + " and " +
                  std::to_string(f.decimals) + " decimals");
    recordLength += f.length;
  }
  if (recordLength > maxRecordLength) return fail("records longer than 4000 bytes");
  return {};
}

DbfHeader makeDbfHeader(const Structure& structure, const Date& date) {
  DbfHeader h;
  h.fileHeader = std::string(dbfFileHeaderSize, '\0');
  h.fileHeader[0] = static_cast<char>(dbfVersion3);
  h.headerLength = static_cast<std::uint16_t>(dbfDescriptorSize * (structure.size() + 1) + 2);
  int end = 1;
  for (const Field& f : structure) {
    Field g = f;
    g.name = upperAscii(f.name);
    h.offsets.push_back(end);
    end += g.length;
    h.fields.push_back(std::move(g));
  }
  h.recordLength = static_cast<std::uint16_t>(end);
  h.fileHeader = fileHeaderBytes(h, 0, date);
  return h;
}

std::string fileHeaderBytes(const DbfHeader& header, std::uint32_t recordCount, const Date& date) {
  std::string b = header.fileHeader;
  b.resize(dbfFileHeaderSize, '\0');
  // Year of the last update as year - 1900, as Harbour and python-dbf write it.
  int year = date.isEmpty() ? 0 : std::clamp(date.year() - 1900, 0, 255);
  b[1] = static_cast<char>(year);
  b[2] = static_cast<char>(date.month());
  b[3] = static_cast<char>(date.day());
  putLe32(&b[4], recordCount);
  putLe16(&b[8], header.headerLength);
  putLe16(&b[10], header.recordLength);
  b[dbfCodePageOffset] = static_cast<char>(dbfCodePage850Mark);
  return b;
}

std::string headerBytes(const DbfHeader& header, std::uint32_t recordCount, const Date& date) {
  std::string b = fileHeaderBytes(header, recordCount, date);
  for (const Field& f : header.fields) {
    std::string d(dbfDescriptorSize, '\0');
    std::copy(
        f.name.begin(),
        f.name.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(f.name.size(), 10)),
        d.begin());
    d[11] = f.type;
    d[16] = static_cast<char>(f.length & 0xFF);
    d[17] = static_cast<char>(f.type == 'C' ? (f.length >> 8) : f.decimals);
    b += d;
  }
  b += dbfHeaderTerminator;
  b.resize(header.headerLength, '\0');
  return b;
}

std::uint32_t recordsInFile(const DbfHeader& header, std::uint64_t fileSize) {
  if (fileSize <= header.headerLength || header.recordLength == 0) return 0;
  std::uint64_t n = (fileSize - header.headerLength) / header.recordLength;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(n, std::numeric_limits<std::uint32_t>::max() - 1));
}

}  // namespace velmoran::store
