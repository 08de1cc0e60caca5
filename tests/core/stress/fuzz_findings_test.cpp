// Inputs the fuzz targets in fuzz/ found to break a reader, kept as regression tests.
#include <gtest/gtest.h>

#include <algorithm>

#include "store/table.h"
#include "support/temp_dir.h"

namespace velmoran {
namespace {

// An index file whose header is whole but whose key expression is empty: openOrder fails
// with the file's name instead of ending the program.
TEST(FuzzFindings, IndexWithEmptyKeyExpressionIsRefused) {
  test::TempDir dir;
  ASSERT_TRUE(store::Table::create(dir / "t.dbf", {{"KEY", 'C', 8, 0}}));
  auto t = store::Table::open(dir / "t.dbf", store::OpenMode::Exclusive);
  ASSERT_TRUE(t);
  (*t)->append();
  (*t)->put("KEY", "MEIER");
  ASSERT_TRUE((*t)->createOrder(dir / "t.ntx", "KEY"));
  (*t)->closeOrders();
  std::string ntx = test::readBytes(dir / "t.ntx");
  std::fill(ntx.begin() + 22, ntx.begin() + 22 + 256, '\0');
  test::writeBytes(dir / "t.ntx", ntx);

  auto order = (*t)->openOrder(dir / "t.ntx");
  ASSERT_FALSE(order);
  EXPECT_EQ(order.reason(), (dir / "t.ntx").string() + ": no key expression");
  EXPECT_EQ((*t)->orderCount(), 0);
}

}  // namespace
}  // namespace velmoran
