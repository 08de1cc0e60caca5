#pragma once
// The code catalogs of the statistics: ordered lists of entries "KEY=Text" with a key of
// fixed width per catalog. They fill the combo boxes of the pages, tell the transfer which
// course kinds the school form knows, and turn the keys of LEHRER.TXT into entries.

#include <string_view>
#include <vector>

#include "store/text.h"

namespace velmoran::store {
class Table;
}

namespace velmoran::catalog {

using Catalog = std::vector<Text>;

struct Catalogs {
  Catalog AKURSARTEN;
  Catalog AFAECHER;
  Catalog AFREMDSP;
  Catalog ARECHTSVER;
  Catalog ABESCHART;
  Catalog AMEHR;
  Catalog AMINDER;
  Catalog ANICHT;
  Catalog ALEHRAMT;
  Catalog AFACHRICHT;
  Catalog AFACH;
  Catalog ASTAAT;
  // The four fixed combo lists.
  Catalog sex;
  Catalog einsatz;
  Catalog qualart;  // for QUALART1 and QUALART2
};

// School-form key: the first two characters of the school-form entry, blanks removed.
Text schoolFormKey(std::string_view schoolFormEntry);

// Build every catalog for the school form (settings entry 6, the whole entry such as
// "GY=Gymnasium"). AFAECHER comes from the ZULFACH table, walked in its current order; the
// table's cursor ends on its first record.
Catalogs fillZulFaecher(std::string_view schoolFormEntry, store::Table& zulfach);

// The first entry of the catalog whose key (the text before the first "=", padded to the
// catalog's key width) begins with `key`; nothing when none.
// An entry without "=" is its own key; an empty `key` finds nothing. For an exact match pass
// the key padded to the catalog's key width ("31 " does not find "310=...").
const Text* findByKey(const Catalog& catalog, std::string_view key);

// The school-form list of the info dialog, in its order ("G =Grundschule", ...).
const Catalog& schoolForms();

// The rows of the shipped ZULFACH table: key, name, school form, in file order.
struct ZulfachRow {
  Text fachkurz;
  Text fachlang;
  Text schulform;
};
const std::vector<ZulfachRow>& shippedZulfach();

// The same build without a table: AFAECHER from these ZULFACH rows in their order.
Catalogs buildCatalogs(std::string_view schoolFormEntry, const std::vector<ZulfachRow>& zulfach);
// AFAECHER alone: "  ", then FACHKURZ + "=" + trimmed FACHLANG of every row whose SCHULFORM
// (blank-padded to two characters, upper-cased) equals the upper-cased first two characters of
// the untrimmed school-form entry, so "H =Hauptschule" takes the rows of "H" and "h ".
Catalog subjectCatalog(std::string_view schoolFormEntry, const std::vector<ZulfachRow>& zulfach);
// Every visible record of the ZULFACH table in its current order, each field as the
// fixed-width field holds it (padded with blanks to its width); the cursor ends on the first
// record.
std::vector<ZulfachRow> zulfachRows(store::Table& zulfach);

}  // namespace velmoran::catalog
