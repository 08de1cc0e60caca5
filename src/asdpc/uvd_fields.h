#pragma once
// Where the fields UVD.TXT is made from lie in a UVD record, looked up once for all records:
// for the writer and for the check before it. A field the table lacks (position 0) throws
// std::out_of_range when read, as reading it by name would.

#include "store/table.h"

namespace velmoran::asdpc {

struct UvdFields {
  explicit UvdFields(const store::Table& t)
      : klasse(t.fieldIndex("KLASSE")),
        teilklasse(t.fieldIndex("TEILKLASSE")),
        jahrgang(t.fieldIndex("JAHRGANG")),
        kursart(t.fieldIndex("KURSART")),
        wstd(t.fieldIndex("WSTD")),
        fach(t.fieldIndex("FACH")),
        lehrer(t.fieldIndex("LEHRER")),
        schuelerG(t.fieldIndex("SCHUELER_G")),
        schuelerW(t.fieldIndex("SCHUELER_W")),
        bilingual(t.fieldIndex("BILINGUAL")),
        fremde(t.fieldIndex("FREMDE")) {}
  int klasse, teilklasse, jahrgang, kursart, wstd, fach, lehrer, schuelerG, schuelerW, bilingual,
      fremde;
};

}  // namespace velmoran::asdpc
