#pragma once
// Clipper NTX index files: reading one (the header, then a walk of the B-tree through each
// page's offset table) and writing one in full as Clipper and Harbour build it on INDEX ON:
// 1024-byte pages, keys streamed into a balanced tree, the right edge evened out.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/result.h"

namespace velmoran::store {

class Order;
struct KeySpec;

inline constexpr std::size_t ntxPageSize = 1024;
inline constexpr std::uint16_t ntxSignature = 6;  // Clipper 5.x

struct NtxHeader {
  std::uint16_t signature = 0;
  std::uint16_t version = 0;
  std::uint32_t root = 0;
  std::uint32_t nextFree = 0;
  std::uint16_t itemSize = 0;
  std::uint16_t keySize = 0;
  std::uint16_t keyDecimals = 0;
  std::uint16_t maxItems = 0;
  std::uint16_t halfPage = 0;
  std::string expression;
  std::string tagName;
  bool unique = false;
  bool descending = false;
  std::string forCondition;
};

// The header of an index file held in `bytes`; a failure says what is wrong with it.
Result<NtxHeader> parseNtxHeader(const std::string& bytes);
// The same from the file's first page and its size.
Result<NtxHeader> parseNtxHeader(const std::string& firstPage, std::uint64_t fileSize);
// Walks an index file in key order, reading one page at a time: the header goes to accept
// (false: a failure, nothing walked), then each key to visit until it returns false. A
// failure for a file that cannot be read or a damaged tree.
Result<void> walkNtxFile(const std::filesystem::path& file,
                         const std::function<bool(const NtxHeader&)>& accept,
                         const std::function<bool(std::uint32_t recno, const char* key)>& visit);
// Walks an index file in key order, reading one page at a time, until accept(recno) says yes:
// that record number, 0 when no key is accepted, a failure for a damaged file.
Result<std::uint32_t> findInNtxFile(const std::filesystem::path& file,
                                    const std::function<bool(std::uint32_t)>& accept);

// Keys per page for a key size, as Clipper/Harbour choose it.
std::uint16_t ntxMaxItems(int keySize);

// Builds an index from keys that arrive in key order and hands out each finished page (page
// 0 is the header, written last). It holds only the pages still open, a few per tree level.
class NtxWriter {
public:
  using PageSink = std::function<void(std::uint32_t pageNumber, const char* page)>;
  NtxWriter(const KeySpec& spec, std::string_view tagName, PageSink sink);
  ~NtxWriter();
  NtxWriter(const NtxWriter&) = delete;
  NtxWriter& operator=(const NtxWriter&) = delete;

  void add(std::uint32_t recno, const char* key);  // key: the key size in bytes
  void finish();

  struct Page;  // a page being built

private:
  struct Builder;
  void emit(std::uint32_t number, const Page& page);

  const KeySpec& m_spec;
  std::string m_tag;
  PageSink m_sink;
  std::uint16_t m_maxItems;
  std::unique_ptr<Builder> m_builder;
  std::vector<char> m_empty;  // a page without items: zeros and the table of item offsets
  std::vector<char> m_page;
};

// Writes an index file whose keys addKeys hands to the writer in key order.
Result<void> writeNtx(const std::filesystem::path& file, const KeySpec& spec,
                      std::string_view tagName, const std::function<void(NtxWriter&)>& addKeys);

// Writes the whole index file of a resolved order. A file that cannot be created is a
// failure; a write that fails on the way (disk full) throws IoError.
Result<void> writeNtx(const Order& order);

// The bytes of the index file of a resolved order (what writeNtx writes).
std::string buildNtx(const Order& order);

}  // namespace velmoran::store
