#include "transfer/conversion.h"

#include <optional>

#include "store/bulk.h"

namespace velmoran::transfer {

namespace {

using app::Page;

constexpr const char* subjectCaption = " / Fächerkonvertierung";
constexpr const char* classCaption = " / Klassenkonvertierung";
constexpr const char* nothingToConvertText = "Es sind keine Daten zum Konvertieren vorhanden !";
constexpr const char* subjectsDoneText = "Die Übertragung der Fächer ist abgeschlossen !";
constexpr const char* classesDoneText = "Die Übertragung der Klassen ist abgeschlossen !";

bool isBlank(std::string_view s) { return trim(s).empty(); }

// Each conversion tells whether it rewrote the UVD record.
bool convertSubject(store::Table& uvd, store::Table& fach) {
  const Text s = uvd.getPadded("FACH");
  // Not a soft seek: found is the first key that begins with the subject, and only an
  // exactly named FACH record converts it.
  const bool found = fach.seek(upper(trim(s)), false);
  if (!found || isBlank(fach.getPadded("FACHNEU")) || trim(fach.getPadded("FACHALT")) != trim(s))
    return false;
  uvd.put("FACH", left(fach.getPadded("FACHNEU"), 2));
  // Also an empty course kind: it replaces the one the transfer derived.
  uvd.put("KURSART", fach.getPadded("KURSART"));
  return true;
}

bool convertClass(store::Table& uvd, store::Table& klasse, const Text& sf) {
  const Text k = uvd.getPadded("KLASSE");
  // Found is the first key that begins with the class, so class "05" takes the values of
  // "05A" when no record is named "05" itself.
  const bool found = klasse.seek(upper(trim(k)), true);
  if (!found || isBlank(k) || isBlank(klasse.getPadded("KLASSE_NEU"))) return false;
  uvd.put("KLASSE", klasse.getPadded("KLASSE_NEU"));
  const Text jahrgang = klasse.getPadded("JAHRGANG");
  const Text kursart = klasse.getPadded("KURSART");
  uvd.put("JAHRGANG", jahrgang);
  if (isBlank(jahrgang)) {
    uvd.put("KURSART", kursart);
  } else if (sf != "BK") {
    uvd.put("KURSART", kursart);
    // A course in an upper year is named by its year group.
    if (!isBlank(kursart)) uvd.put("KLASSE", jahrgang);
  }
  return true;
}

// Visit every visible UVD record in record order with the conversion table in its
// upper-case index order; both tables end on their first record. The records are converted
// in a copy of UVD that takes its place when every record is done: all or none. The count of
// the records converted, or nothing when UVD holds no records or the tables are not what
// their names say (the warning shown) or the copy could not be written (its warning shown).
template <typename Convert>
std::optional<std::size_t> convertAll(app::Workspace& ws, app::Ui& ui, Page page,
                                      const Text& caption, Convert convert) {
  for (Page p : {Page::Uvd, page}) {
    if (auto foreign = ws.foreignTable(p)) {
      ui.warning(caption, *foreign + "\r\nEs wurde nichts umgesetzt.");
      return std::nullopt;
    }
  }
  if (ws.table(Page::Uvd).lastRec() == 0) {
    ui.warning(caption, nothingToConvertText);
    return std::nullopt;
  }
  store::Table& table = ws.table(page);
  const int order = table.order();
  table.setOrder(1);
  std::size_t converted = 0;
  const auto replaced = store::replaceTables([&](store::Replacement& replacement) {
    store::Table& uvd = replacement.add(ws.table(Page::Uvd), store::Replacement::Start::copy);
    uvd.setOrder(0);
    for (uvd.goTop(); !uvd.eof(); uvd.skip()) converted += convert(uvd, table) ? 1 : 0;
    return true;
  });
  table.setOrder(order);
  table.goTop();
  if (!replaced) {
    ui.warning(caption, app::notWrittenText(ws, replaced.reason(), {Page::Uvd}));
    return std::nullopt;
  }
  return converted;
}

// "Fächerkonvertierung: 120 Datensätze umgesetzt, 4 Fächer brauchen einen zulässigen Namen"
Text convertedLine(const char* what, std::size_t converted, const Text& pending) {
  return Text(what) + ": " + app::counted(converted, "Datensatz", "Datensätze") + " umgesetzt" +
         (pending.empty() ? "" : ", " + pending);
}

bool isConversionPage(Page page) { return page == Page::Fach || page == Page::Klasse; }

}  // namespace

bool lacksNewName(const store::Table& t, Page page) {
  if (!isConversionPage(page)) return false;
  const bool subjects = page == Page::Fach;
  return !isBlank(t.getPadded(subjects ? "FACHALT" : "KLASSE_ALT")) &&
         isBlank(t.getPadded(subjects ? "FACHNEU" : "KLASSE_NEU"));
}

std::size_t countLackingNewName(app::Workspace& ws, Page page) {
  if (!isConversionPage(page)) return 0;
  store::Table& t = ws.table(page);
  std::size_t n = 0;
  for (std::uint32_t recno : t.visibleRecnos()) {
    t.goTo(recno);
    n += lacksNewName(t, page) ? 1 : 0;
  }
  t.goTop();
  return n;
}

Text lackingNamesText(app::Workspace& ws) {
  const std::size_t subjects = countLackingNewName(ws, Page::Fach);
  const std::size_t classes = countLackingNewName(ws, Page::Klasse);
  if (subjects + classes == 0) return Text();
  Text who;
  if (subjects > 0) who = app::counted(subjects, "Fach", "Fächer");
  if (subjects > 0 && classes > 0) who += " und ";
  if (classes > 0) who += app::counted(classes, "Klasse", "Klassen");
  return who + (subjects + classes == 1 ? " braucht" : " brauchen") + " einen zulässigen Namen";
}

void konvertItems(app::Workspace& ws, app::Ui& ui) {
  const Text caption = Text(app::programTitle) + subjectCaption;
  auto converted = convertAll(ws, ui, Page::Fach, caption, convertSubject);
  if (!converted) return;
  ui.status(convertedLine("Fächerkonvertierung", *converted, lackingNamesText(ws)));
  ui.info(caption, subjectsDoneText);
}

void konvertClasses(app::Workspace& ws, app::Ui& ui) {
  const Text caption = Text(app::programTitle) + classCaption;
  const Text sf = ws.settings.sf();
  auto convert = [&sf](store::Table& uvd, store::Table& klasse) {
    return convertClass(uvd, klasse, sf);
  };
  auto converted = convertAll(ws, ui, Page::Klasse, caption, convert);
  if (!converted) return;
  ui.status(convertedLine("Klassenkonvertierung", *converted, lackingNamesText(ws)));
  ui.info(caption, classesDoneText);
}

}  // namespace velmoran::transfer
