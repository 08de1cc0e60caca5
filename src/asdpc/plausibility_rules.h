#pragma once
// The rules of the plausibility check, one function per written file, and the
// small helpers they share. Only plausibility*.cpp include this.

#include <string_view>
#include <vector>

#include "asdpc/plausibility.h"
#include "store/table.h"

namespace velmoran::asdpc::plausibility {

// The findings of one file as they are found; or, without a list to fill, only the count of
// its errors (the question before writing needs no more, and a big table may hold many).
class FindingList {
public:
  FindingList(std::string_view file, std::vector<Finding>& out) : m_file(file), m_out(&out) {}
  explicit FindingList(std::string_view file) : m_file(file) {}

  // The sentences are wanted: a rule with a costly sentence makes it only then.
  bool keepsFindings() const { return m_out != nullptr; }
  std::size_t errors() const { return m_errors; }

  void error(const Text& table, std::uint32_t recno, const Text& field, const Text& text) {
    ++m_errors;
    if (m_out) m_out->push_back({m_file, table, recno, field, severityError, text});
  }
  void note(const Text& table, std::uint32_t recno, const Text& field, const Text& text) {
    if (m_out) m_out->push_back({m_file, table, recno, field, severityNote, text});
  }

private:
  Text m_file;
  std::vector<Finding>* m_out = nullptr;
  std::size_t m_errors = 0;
};

// The rules of each file; `list` names the file.
void checkUvdTxt(app::Workspace& ws, FindingList& list);
void checkLehrerAsdTxt(app::Workspace& ws, const Date& reference, FindingList& list);

bool isBlank(std::string_view s);
// A value as the sentences quote it: "5A".
Text inQuotes(std::string_view value);
// A number as the sentences show it: decimal comma, no trailing zeros ("2,5",
// "12").
Text numberText(double value);
// A teacher code ASDPC accepts: 1 to 4 characters, an upper-case letter (Ä, Ö,
// Ü too) first, then only upper-case letters, digits, hyphens or blanks.
bool isTeacherCode(std::string_view code);
bool isUpperLetter(char c);
// The sentence of a code that breaks isTeacherCode.
Text teacherCodeText(std::string_view code);

// Walks a table in one of its orders (0: record order); gives the table its own
// order back and puts it on its first record when done.
class TableWalk {
public:
  TableWalk(store::Table& t, int order);
  ~TableWalk();
  TableWalk(const TableWalk&) = delete;
  TableWalk& operator=(const TableWalk&) = delete;

private:
  store::Table& m_t;
  int m_order;
};

}  // namespace velmoran::asdpc::plausibility
