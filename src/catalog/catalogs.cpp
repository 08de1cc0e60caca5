#include "catalog/catalogs.h"

#include <algorithm>
#include <stdexcept>

#include "catalog/catalog_data.h"
#include "catalog/catalog_texts.h"
#include "store/code_page.h"
#include "store/table.h"

namespace velmoran::catalog {

namespace {

using texts::Literals;

// Width of the subject key, as the FACHKURZ and SCHULFORM fields of ZULFACH hold them.
constexpr std::size_t zulfachKeyWidth = 2;

enum class Specialisations { SpecialNeeds, SpecialNeedsWithoutGhGb, Vocational };

struct FormLists {
  Literals courseKinds;
  Specialisations specialisations;
};

// The course kinds and specialisations of a school-form key. The rules are tested in this
// order and compare the whole key. So SK, SG and SB, which begin with "S" as well, are not
// taken for the special school "S": the secondary school and the special schools of grammar
// and vocational level get the default course kinds and the 14-entry specialisation list,
// like every form not named here.
FormLists formLists(std::string_view sf) {
  const texts::FixedTexts& t = texts::fixedTexts();
  struct Rule {
    std::string_view codes[2];
    FormLists lists;
  };
  const Rule rules[] = {
      {{"FW"}, {t.fwKinds, Specialisations::SpecialNeeds}},
      {{"BK"}, {t.bkKinds, Specialisations::Vocational}},
      {{"GE"}, {t.geKinds, Specialisations::SpecialNeeds}},
      {{"GY"}, {t.gyKinds, Specialisations::SpecialNeeds}},
      {{"H"}, {t.hKinds, Specialisations::SpecialNeeds}},
      {{"R", "SR"}, {t.rKinds, Specialisations::SpecialNeeds}},
      {{"WB"}, {t.wbKinds, Specialisations::SpecialNeeds}},
      {{"S"}, {t.sKinds, Specialisations::SpecialNeeds}},
  };
  for (const Rule& rule : rules)
    for (std::string_view code : rule.codes)
      if (!code.empty() && code == sf) return rule.lists;
  return {t.defaultKinds, Specialisations::SpecialNeedsWithoutGhGb};
}

Catalog fromLiterals(Literals literals) { return Catalog(literals.begin(), literals.end()); }

void sortCatalog(Catalog& catalog) {
  // std::string compares its bytes as unsigned char: plain Windows-1252 byte order, in which
  // the empty entry comes first and a blank sorts before digits and capitals.
  std::stable_sort(catalog.begin(), catalog.end());
}

Text padKey(std::string_view key, std::size_t width) {
  return key.size() < width ? padRight(key, width) : Text(key);
}

// The rows of data/<name>.tsv after its header line, as Windows-1252, split at tabs.
std::vector<std::vector<Text>> tsvRows(std::string_view name) {
  const std::string_view utf8 = catalogFileText(name);
  if (utf8.empty())
    throw std::logic_error("catalog file " + std::string(name) + ".tsv is not compiled in");
  const Text text = store::utf8ToWindows1252(utf8);
  std::vector<std::vector<Text>> rows;
  bool isHeader = true;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == Text::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (isHeader) {
      isHeader = false;
      continue;
    }
    std::vector<Text> fields;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string_view::npos; from = tab + 1)
      fields.emplace_back(line.substr(from, tab - from));
    fields.emplace_back(line.substr(from));
    rows.push_back(std::move(fields));
  }
  return rows;
}

// The empty entry, then "KEY=Text" for every row of a two-column catalog file, the key padded
// to the catalog's key width (the key of German nationality is three blanks).
Catalog catalogFromFile(std::string_view name, std::size_t keyWidth) {
  Catalog catalog{Text()};
  for (const auto& row : tsvRows(name)) {
    if (row.size() < 2)
      throw std::runtime_error("catalog file " + std::string(name) + ".tsv: line without text");
    catalog.push_back(padKey(row[0], keyWidth) + "=" + row[1]);
  }
  return catalog;
}

Catalog specialisationCatalog(Specialisations kind) {
  if (kind == Specialisations::Vocational) return catalogFromFile("afachricht_bk", 2);
  Catalog catalog = fromLiterals(texts::fixedTexts().specialNeeds);
  if (kind == Specialisations::SpecialNeedsWithoutGhGb)
    std::erase_if(catalog, [](const Text& entry) {
      return entry.starts_with("GH=") || entry.starts_with("GB=");
    });
  return catalog;
}

}  // namespace

Text schoolFormKey(std::string_view schoolFormEntry) { return trim(left(schoolFormEntry, 2)); }

Catalog subjectCatalog(std::string_view schoolFormEntry, const std::vector<ZulfachRow>& zulfach) {
  // The entry is not trimmed: a one-letter form "H =..." matches the field value "H ".
  const Text form = upper(left(schoolFormEntry, 2));
  Catalog catalog{Text(zulfachKeyWidth, ' ')};
  for (const ZulfachRow& row : zulfach)
    if (upper(left(padKey(row.schulform, zulfachKeyWidth), 2)) == form)
      catalog.push_back(row.fachkurz + "=" + trim(row.fachlang));
  return catalog;
}

Catalogs buildCatalogs(std::string_view schoolFormEntry, const std::vector<ZulfachRow>& zulfach) {
  const texts::FixedTexts& t = texts::fixedTexts();
  const Text sf = schoolFormKey(schoolFormEntry);
  const FormLists lists = formLists(sf);

  Catalogs c;
  c.AKURSARTEN = fromLiterals(lists.courseKinds);
  c.AFACHRICHT = specialisationCatalog(lists.specialisations);
  sortCatalog(c.AKURSARTEN);
  sortCatalog(c.AFACHRICHT);
  c.AFAECHER = subjectCatalog(schoolFormEntry, zulfach);
  c.ARECHTSVER = fromLiterals(t.legalRelationships);
  c.ABESCHART = fromLiterals(t.employmentKinds);
  sortCatalog(c.ABESCHART);
  c.AFREMDSP = fromLiterals(t.foreignLanguages);
  c.AMEHR = fromLiterals(t.extraWork);
  c.AMINDER = fromLiterals(t.reducedWork);
  c.ANICHT = catalogFromFile("anicht", 3);
  c.ALEHRAMT = catalogFromFile("alehramt", 2);
  c.ASTAAT = catalogFromFile("astaat", 3);
  c.AFACH = catalogFromFile("afach", 2);
  c.sex = fromLiterals(t.sex);
  c.einsatz = fromLiterals(t.einsatz);
  c.qualart = fromLiterals(sf == "BK" ? t.qualartBk : t.qualartOther);
  return c;
}

std::vector<ZulfachRow> zulfachRows(store::Table& zulfach) {
  // Field values come back without their trailing blanks; the catalog wants them as the
  // fixed-width field holds them ("D " stays "D ").
  auto width = [&](std::string_view field) -> std::size_t {
    const int position = zulfach.fieldIndex(field);
    return position > 0 ? static_cast<std::size_t>(zulfach.structure()[position - 1].length) : 0;
  };
  const std::size_t kurzWidth = width("FACHKURZ");
  const std::size_t formWidth = width("SCHULFORM");
  std::vector<ZulfachRow> rows;
  for (zulfach.goTop(); !zulfach.eof(); zulfach.skip())
    rows.push_back({padKey(zulfach.getText("FACHKURZ"), kurzWidth), zulfach.getText("FACHLANG"),
                    padKey(zulfach.getText("SCHULFORM"), formWidth)});
  zulfach.goTop();
  return rows;
}

Catalogs fillZulFaecher(std::string_view schoolFormEntry, store::Table& zulfach) {
  return buildCatalogs(schoolFormEntry, zulfachRows(zulfach));
}

const Text* findByKey(const Catalog& catalog, std::string_view key) {
  if (key.empty()) return nullptr;
  for (const Text& entry : catalog) {
    const std::string_view entryKey = std::string_view(entry).substr(0, entry.find('='));
    if (entryKey.starts_with(key)) return &entry;
  }
  return nullptr;
}

const Catalog& schoolForms() {
  static const Catalog forms = fromLiterals(texts::fixedTexts().schoolForms);
  return forms;
}

const std::vector<ZulfachRow>& shippedZulfach() {
  static const std::vector<ZulfachRow> rows = [] {
    std::vector<ZulfachRow> result;
    for (const auto& row : tsvRows("zulfach")) {
      if (row.size() < 3)
        throw std::runtime_error("catalog file zulfach.tsv: line with fewer than three fields");
      result.push_back({padKey(row[0], zulfachKeyWidth), row[1], row[2]});
    }
    return result;
  }();
  return rows;
}

}  // namespace velmoran::catalog
