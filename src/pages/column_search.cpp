#include "pages/column_search.h"

#include <cstdlib>

namespace velmoran::pages {

namespace {

struct Wanted {
  char type = 0;
  Text text;
  double number = 0;
  Date date;
};

Wanted convert(const store::Field& field, const Text& text) {
  Wanted w;
  w.type = field.type;
  w.text = text;
  switch (field.type) {
    case 'C':
      w.text = upper(trim(text));
      break;
    case 'N': {
      Text t = trim(text);
      for (char& c : t)
        if (c == ',') c = '.';
      w.number = std::strtod(t.c_str(), nullptr);
      break;
    }
    case 'D':
      w.date = Date::parse(text);
      break;
    default:
      break;
  }
  return w;
}

bool matches(store::Table& t, int pos, const Wanted& w) {
  if (t.deleted()) return false;
  switch (w.type) {
    case 'C':
      return upper(trim(t.getText(pos))) == w.text;
    case 'N':
      return t.getNumber(pos) == w.number;
    case 'D':
      return t.getDate(pos) == w.date;
    default:
      return t.getRaw(pos) == w.text;
  }
}

}  // namespace

std::optional<SearchHit> columnSearch(store::Table& t, SearchState& state, int fieldPosition,
                                      const Text& text) {
  bool continued = text == state.lastText;
  state.lastText = text;
  if (text.empty()) return std::nullopt;
  const store::Field& field = t.structure()[static_cast<std::size_t>(fieldPosition - 1)];
  Wanted wanted = convert(field, text);

  int order = t.order();
  bool wasVisible = t.deletedVisible();
  t.setOrder(0);
  t.showDeleted(false);
  if (!continued || t.lastRec() == 0) {
    t.goTop();
    state.position = 1;
  } else if (state.position >= t.lastRec()) {
    t.goTop();
    state.position = 1;
  } else {
    t.goTo(state.position);
    t.skip();  // the next record that is not deleted
    state.position = t.eof() ? t.lastRec() : t.recno();
  }
  bool found = false;
  for (std::uint32_t n = state.position; n <= t.lastRec() && !t.eof(); ++n) {
    if (matches(t, fieldPosition, wanted)) {
      state.position = t.recno();
      found = true;
      break;
    }
    t.skip();
  }
  if (!found) state.position = t.lastRec();
  t.showDeleted(wasVisible);
  t.setOrder(order);
  t.goTo(state.position);
  return SearchHit{state.position, found};
}

}  // namespace velmoran::pages
