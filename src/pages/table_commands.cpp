#include "pages/table_commands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "store/bulk.h"
#include "store/code_page.h"

namespace velmoran::pages {

namespace {

std::string csvField(std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string formatNumber(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::optional<double> parseNumber(std::string_view text) {
  Text t = trim(text);
  if (t.empty()) return 0.0;
  for (char& c : t)
    if (c == ',') c = '.';
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace

bool deleteTable(app::Workspace& ws, app::Ui& ui, app::Page page) {
  if (!ui.askYesNo(app::programTitle, "Wollen Sie die ganze Tabelle wirklich löschen?"))
    return false;
  // Every record marked in a copy of the table that takes its place: all of them or none.
  const auto replaced = store::replaceTables([&](store::Replacement& replacement) {
    replacement.add(ws.table(page), store::Replacement::Start::deleted);
    return true;
  });
  if (!replaced) {
    ui.warning(app::programTitle, app::notWrittenText(ws, replaced.reason(), {page}));
    return false;
  }
  return true;
}

Result<void> setField(store::Table& table, std::uint32_t recno, std::string_view field,
                      std::string_view value) {
  int pos = table.fieldIndex(field);
  if (pos == 0) return fail("no field " + std::string(field));
  if (recno < 1 || recno > table.lastRec()) return fail("no record " + std::to_string(recno));
  table.goTo(recno);
  const store::Field& f = table.structure()[static_cast<std::size_t>(pos - 1)];
  switch (f.type) {
    case 'N': {
      auto v = parseNumber(value);
      if (!v) return fail("not a number: " + std::string(value));
      table.put(pos, *v);
      break;
    }
    case 'D': {
      Date d = Date::parse(value);
      if (d.isEmpty() && !trim(value).empty()) return fail("not a date: " + std::string(value));
      table.put(pos, d);
      break;
    }
    case 'L': {
      Text v = upper(trim(value));
      table.putLogical(pos, v == "T" || v == "J" || v == "Y" || v == "TRUE");
      break;
    }
    default:
      table.put(pos, value);
  }
  table.flush();
  return {};
}

std::string dumpCsv(store::Table& table, bool withRecno) {
  const auto& fields = table.structure();
  std::string out = withRecno ? "RECNO," : "";
  for (std::size_t i = 0; i < fields.size(); ++i) out += (i ? "," : "") + fields[i].name;
  out += "\r\n";
  for (table.goTop(); !table.eof(); table.skip()) {
    if (withRecno) out += std::to_string(table.recno()) + ",";
    for (std::size_t i = 0; i < fields.size(); ++i) {
      int pos = static_cast<int>(i) + 1;
      std::string value;
      switch (fields[i].type) {
        case 'N':
          value = formatNumber(table.getNumber(pos), fields[i].decimals);
          break;
        case 'D':
          value = table.getDate(pos).format();
          break;
        case 'L':
          value = table.getLogical(pos) ? "T" : "F";
          break;
        default:
          value = store::windows1252ToUtf8(trimRight(table.getText(pos)));
      }
      out += (i ? "," : "") + csvField(value);
    }
    out += "\r\n";
  }
  table.goTop();
  return out;
}

}  // namespace velmoran::pages
