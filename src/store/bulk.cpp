#include "store/bulk.h"

namespace velmoran::store {

void markAllDeleted(Table& t) {
  const int order = t.order();
  const bool wasVisible = t.deletedVisible();
  t.setOrder(0);
  t.showDeleted(true);
  for (t.goTop(); !t.eof(); t.skip())
    if (!t.deleted()) t.remove();
  t.showDeleted(wasVisible);
  t.setOrder(order);
  t.goTop();
}

void replaceRecords(Table& table, const std::function<void(Table& target)>& fill) {
  markAllDeleted(table);
  table.releaseOrders();
  fill(table);
  table.flush();
  table.goTop();
}

}  // namespace velmoran::store
