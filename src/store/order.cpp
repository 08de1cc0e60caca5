#include "store/order.h"

#include <algorithm>
#include <cstring>

#include "store/field_codec.h"
#include "store/key_sorter.h"

namespace velmoran::store {

namespace {

constexpr int maxKeySize = 256;

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

int findField(const Structure& structure, std::string_view name) {
  for (std::size_t i = 0; i < structure.size(); ++i)
    if (sameIgnoringCase(structure[i].name, name)) return static_cast<int>(i);
  return -1;
}

int compareBytes(const char* a, const char* b, std::size_t n) {
  return n == 0 ? 0 : std::memcmp(a, b, n);
}

}  // namespace

void upperCp850(char* bytes, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    auto u = static_cast<unsigned char>(bytes[i]);
    if (u >= 'a' && u <= 'z')
      bytes[i] = static_cast<char>(u - 32);
    else if (u == 0x84)
      bytes[i] = static_cast<char>(0x8E);  // ä -> Ä
    else if (u == 0x94)
      bytes[i] = static_cast<char>(0x99);  // ö -> Ö
    else if (u == 0x81)
      bytes[i] = static_cast<char>(0x9A);  // ü -> Ü
  }
}

Result<KeySpec> parseKeyExpression(std::string_view expression, const Structure& structure) {
  std::string_view e = trimmed(expression);
  KeySpec spec;
  std::string upperE = upperAscii(e);
  std::string_view name = e;
  if (upperE.rfind("UPPER", 0) == 0) {
    std::string_view rest = trimmed(e.substr(5));
    if (rest.size() < 2 || rest.front() != '(' || rest.back() != ')')
      return fail("unsupported key expression '" + std::string(expression) + "'");
    name = trimmed(rest.substr(1, rest.size() - 2));
    spec.upper = true;
  }
  int field = findField(structure, name);
  if (field < 0)
    return fail("key expression '" + std::string(expression) + "': no such field in the table");
  const Field& f = structure[static_cast<std::size_t>(field)];
  if (spec.upper && f.type != 'C')
    return fail("key expression '" + std::string(expression) +
                "': UPPER() needs a character field");
  if (f.length > maxKeySize)
    return fail("key expression '" + std::string(expression) + "': key longer than 256 bytes");
  spec.field = field;
  spec.type = f.type;
  spec.size = f.length;
  spec.decimals = f.type == 'N' ? f.decimals : 0;
  std::string fieldName = upperAscii(f.name);
  spec.expression = spec.upper ? "UPPER(" + fieldName + ")" : fieldName;
  return spec;
}

Order::Order(KeySpec spec, std::filesystem::path file, std::string tagName)
    : m_spec(std::move(spec)), m_file(std::move(file)), m_tag(std::move(tagName)) {}

std::string Order::makeKey(std::string_view content) const {
  std::string key(keySize(), ' ');
  makeKey(content, key.data());
  return key;
}

void Order::makeKey(std::string_view content, char* out) const {
  if (m_spec.type == 'N') return numericKeyOfContent(content, m_spec.size, m_spec.decimals, out);
  std::size_t n = std::min(content.size(), keySize());
  std::memcpy(out, content.data(), n);
  std::memset(out + n, ' ', keySize() - n);
  if (m_spec.upper) upperCp850(out, keySize());
}

void Order::release() {
  std::vector<char>().swap(m_keys);
  std::vector<std::uint32_t>().swap(m_sorted);
  std::vector<std::uint32_t>().swap(m_pending);
  std::vector<bool>().swap(m_isPending);
  m_resident = false;
}

std::string Order::searchKey(std::string_view text) const {
  if (m_spec.type == 'N') {
    auto v = readNumber(text);
    if (v) return searchKey(*v);
  }
  if (m_spec.type == 'D') {
    Date d = Date::parse(text);
    if (!d.isEmpty()) return d.toDbf();
  }
  return std::string(text.substr(0, keySize()));
}

std::string Order::searchKey(double number) const {
  if (m_spec.type == 'N') return numericKey(number, m_spec.size, m_spec.decimals);
  return searchKey(numberText(number));
}

std::string_view Order::keyOf(std::uint32_t recno) const { return {keyPtr(recno), keySize()}; }

bool Order::less(std::uint32_t a, std::uint32_t b) const {
  int c = compareBytes(keyPtr(a), keyPtr(b), keySize());
  return c < 0 || (c == 0 && a < b);
}

void Order::sortAll() {
  std::uint32_t n = count();
  m_sorted = sortedPositions(m_keys.data(), keySize(), n);
  for (std::uint32_t& r : m_sorted) ++r;  // positions to record numbers
  m_pending.clear();
  m_isPending.assign(n, false);
}

bool Order::assign(std::vector<char> keys, std::vector<std::uint32_t> sorted) {
  m_resident = true;
  m_keys = std::move(keys);
  m_keys.resize(m_keys.size() - m_keys.size() % keySize());
  std::uint32_t n = count();
  m_pending.clear();
  m_isPending.assign(n, false);
  m_needsWrite = true;
  bool usable = sorted.size() == n;
  std::vector<bool> seen(usable ? n : 0, false);
  for (std::size_t i = 0; usable && i < sorted.size(); ++i) {
    std::uint32_t r = sorted[i];
    usable = r >= 1 && r <= n && !seen[r - 1] && (i == 0 || less(sorted[i - 1], r));
    if (usable) seen[r - 1] = true;
  }
  if (usable)
    m_sorted = std::move(sorted);
  else
    sortAll();
  return usable;
}

void Order::markPending(std::uint32_t recno) {
  if (m_isPending[recno - 1]) return;
  m_isPending[recno - 1] = true;
  m_pending.push_back(recno);
}

void Order::appendKey(std::string_view key) {
  std::size_t at = m_keys.size();
  m_keys.resize(at + keySize(), ' ');
  std::memcpy(m_keys.data() + at, key.data(), std::min(key.size(), keySize()));
  m_isPending.push_back(false);
  m_needsWrite = true;
  std::uint32_t recno = count();
  // Appending in key order (an import of sorted data, or equal keys) keeps the order sorted.
  if (m_pending.empty() && (m_sorted.empty() || !less(recno, m_sorted.back())))
    m_sorted.push_back(recno);
  else
    markPending(recno);
}

void Order::setKey(std::uint32_t recno, std::string_view key) {
  if (recno < 1 || recno > count()) return;
  std::string k(key.substr(0, keySize()));
  k.resize(keySize(), ' ');
  char* at = m_keys.data() + (recno - 1) * keySize();
  if (std::memcmp(at, k.data(), keySize()) == 0) return;
  std::memcpy(at, k.data(), keySize());
  m_needsWrite = true;
  markPending(recno);
}

void Order::resolve() {
  if (m_pending.empty()) return;
  // Many changes: sorting everything again is cheaper than merging.
  if (m_pending.size() * 8 > count()) {
    sortAll();
    return;
  }
  std::erase_if(m_sorted, [&](std::uint32_t r) { return m_isPending[r - 1]; });
  std::sort(m_pending.begin(), m_pending.end(),
            [&](std::uint32_t a, std::uint32_t b) { return less(a, b); });
  std::vector<std::uint32_t> merged(m_sorted.size() + m_pending.size());
  std::merge(m_sorted.begin(), m_sorted.end(), m_pending.begin(), m_pending.end(), merged.begin(),
             [&](std::uint32_t a, std::uint32_t b) { return less(a, b); });
  m_sorted = std::move(merged);
  for (std::uint32_t r : m_pending) m_isPending[r - 1] = false;
  m_pending.clear();
}

std::size_t Order::positionOf(std::uint32_t recno) const {
  auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), recno,
                             [&](std::uint32_t a, std::uint32_t r) { return less(a, r); });
  return static_cast<std::size_t>(it - m_sorted.begin());
}

std::size_t Order::lowerBound(std::string_view search) const {
  std::size_t n = std::min(search.size(), keySize());
  auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), search,
                             [&](std::uint32_t a, std::string_view s) {
                               return compareBytes(keyPtr(a), s.data(), n) < 0;
                             });
  return static_cast<std::size_t>(it - m_sorted.begin());
}

bool Order::keyStartsWith(std::size_t position, std::string_view search) const {
  if (position >= m_sorted.size()) return false;
  std::size_t n = std::min(search.size(), keySize());
  return compareBytes(keyPtr(m_sorted[position]), search.data(), n) == 0;
}

}  // namespace velmoran::store
