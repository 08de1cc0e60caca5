#pragma once
// The catalog texts that the program spells out itself rather than reading from data/: the
// course kinds of each school form, the special-needs specialisations, the short catalogs,
// the fixed combo lists and the school-form list. The build compiles string literals in
// Windows-1252, so each literal is already the Text of its entry. Each list is written as
// shown, with the empty entry where it has one.

#include <span>

namespace velmoran::catalog::texts {

using Literals = std::span<const char* const>;

struct FixedTexts {
  // AKURSARTEN, before sorting.
  Literals fwKinds;
  Literals bkKinds;
  Literals geKinds;
  Literals gyKinds;
  Literals hKinds;
  Literals rKinds;  // R and SR
  Literals wbKinds;
  Literals sKinds;
  Literals defaultKinds;
  // AFACHRICHT of the general and special schools (16 entries with the empty one).
  Literals specialNeeds;
  Literals foreignLanguages;    // AFREMDSP
  Literals legalRelationships;  // ARECHTSVER
  Literals employmentKinds;     // ABESCHART, before sorting
  Literals extraWork;           // AMEHR
  Literals reducedWork;         // AMINDER
  Literals sex;
  Literals einsatz;
  Literals qualartBk;
  Literals qualartOther;
  Literals schoolForms;
};

const FixedTexts& fixedTexts();

}  // namespace velmoran::catalog::texts
