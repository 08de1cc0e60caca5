#include "transfer/conversion.h"

namespace velmoran::transfer {

namespace {

using app::Page;

constexpr const char* subjectCaption = " / Fächerkonvertierung";
constexpr const char* classCaption = " / Klassenkonvertierung";
constexpr const char* nothingToConvertText = "Es sind keine Daten zum Konvertieren vorhanden !";
constexpr const char* subjectsDoneText = "Die Übertragung der Fächer ist abgeschlossen !";
constexpr const char* classesDoneText = "Die Übertragung der Klassen ist abgeschlossen !";

bool isBlank(std::string_view s) { return trim(s).empty(); }

void convertSubject(store::Table& uvd, store::Table& fach) {
  const Text s = uvd.getPadded("FACH");
  // Not a soft seek: found is the first key that begins with the subject, and only an
  // exactly named FACH record converts it.
  const bool found = fach.seek(upper(trim(s)), false);
  if (!found || isBlank(fach.getPadded("FACHNEU")) || trim(fach.getPadded("FACHALT")) != trim(s))
    return;
  uvd.put("FACH", left(fach.getPadded("FACHNEU"), 2));
  // Also an empty course kind: it replaces the one the transfer derived.
  uvd.put("KURSART", fach.getPadded("KURSART"));
}

void convertClass(store::Table& uvd, store::Table& klasse, const Text& sf) {
  const Text k = uvd.getPadded("KLASSE");
  // Found is the first key that begins with the class, so class "05" takes the values of
  // "05A" when no record is named "05" itself.
  const bool found = klasse.seek(upper(trim(k)), true);
  if (!found || isBlank(k) || isBlank(klasse.getPadded("KLASSE_NEU"))) return;
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
}

// Visit every visible UVD record in record order with the conversion table in its
// upper-case index order; both tables end on their first record.
template <typename Convert>
bool convertAll(app::Workspace& ws, app::Ui& ui, Page page, const Text& caption, Convert convert) {
  store::Table& uvd = ws.table(Page::Uvd);
  if (uvd.lastRec() == 0) {
    ui.warning(caption, nothingToConvertText);
    return false;
  }
  store::Table& table = ws.table(page);
  const int order = table.order();
  table.setOrder(1);
  for (uvd.goTop(); !uvd.eof(); uvd.skip()) convert(uvd, table);
  uvd.goTop();
  table.setOrder(order);
  table.goTop();
  uvd.flush();
  return true;
}

}  // namespace

void konvertItems(app::Workspace& ws, app::Ui& ui) {
  const Text caption = Text(app::programTitle) + subjectCaption;
  if (convertAll(ws, ui, Page::Fach, caption, convertSubject)) ui.info(caption, subjectsDoneText);
}

void konvertClasses(app::Workspace& ws, app::Ui& ui) {
  const Text caption = Text(app::programTitle) + classCaption;
  const Text sf = ws.settings.sf();
  auto convert = [&sf](store::Table& uvd, store::Table& klasse) { convertClass(uvd, klasse, sf); };
  if (convertAll(ws, ui, Page::Klasse, caption, convert)) ui.info(caption, classesDoneText);
}

}  // namespace velmoran::transfer
