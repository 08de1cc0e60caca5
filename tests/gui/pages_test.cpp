// The grid pages: column search through a page and across pages, the combo lists offered per
// column and per row kind, caption-click sorting, band colours and a big table.

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "gui_support.h"
#include "help/help_about_dialog.h"
#include "pages/data_window.h"
#include "pages/table_model.h"

using namespace velmoran;
using test::q;

namespace {

void appendRow(store::Table& t, std::initializer_list<std::pair<const char*, const char*>> values) {
  t.append();
  for (const auto& [field, value] : values) t.put(field, value);
  t.flush();
}

// The entries the grid's combo editor offers for a cell.
QStringList offered(pages::bDataWindow& page, int row, int column) {
  auto& b = page.browser();
  QModelIndex index = b.model()->index(row, column);
  QStyleOptionViewItem option;
  std::unique_ptr<QWidget> editor(b.itemDelegate()->createEditor(b.viewport(), option, index));
  auto* combo = qobject_cast<QComboBox*>(editor.get());
  if (!combo) return {QStringLiteral("<no combo>")};
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

QStringList qs(const std::vector<Text>& list) {
  QStringList out;
  for (const Text& t : list) out << q(t);
  return out;
}

int columnOf(pages::bDataWindow& page, const char* field) {
  const auto& cols = page.spec().columns;
  for (std::size_t c = 0; c < cols.size(); ++c)
    if (std::string_view(cols[c].field) == field) return static_cast<int>(c);
  return -1;
}

}  // namespace

class PagesTest : public QObject {
  Q_OBJECT

private slots:
  void repeatedSearchWalksTheMatchesAndWrapsAround() {
    test::Program p;
    store::Table& t = p.window->workspace().table(app::Page::Klasse);
    for (const char* name : {"5A", "5B", "6A", "6B", "7A", "8B"})
      appendRow(t, {{"KLASSE_ALT", name}, {"KLASSE_NEU", name[1] == 'A' ? "X  " : "Y"}});
    auto& page = p.window->page(app::Page::Klasse);
    page.refresh();
    p.window->tabs()->setCurrentIndex(4);
    page.browser().setCurrentIndex(page.model().index(0, 1));
    std::vector<Text> asked;
    page.askSearchText = [&](const Text& caption, const Text& last) {
      asked.push_back(caption + "|" + last);
      return std::optional<Text>("x");
    };
    auto searchOnce = [&] { p.window->action(app::Command::SeekTab)->trigger(); };
    auto shown = [&] { return page.model().index(page.currentRow(), 0).data().toString(); };
    searchOnce();
    QCOMPARE(shown(), QStringLiteral("5A"));
    QCOMPARE(page.browser().currentIndex().column(), 1);  // the search stays in its column
    searchOnce();
    QCOMPARE(shown(), QStringLiteral("6A"));
    searchOnce();
    QCOMPARE(shown(), QStringLiteral("7A"));
    searchOnce();  // no further match: the last record
    QCOMPARE(shown(), QStringLiteral("8B"));
    searchOnce();  // at the last record the search starts over
    QCOMPARE(shown(), QStringLiteral("5A"));
    QCOMPARE(q(asked[0]), QStringLiteral("Neuer Klassenname|"));
    QCOMPARE(q(asked[1]), QStringLiteral("Neuer Klassenname|x"));
  }

  void theSearchStateIsSharedByThePages() {
    test::Program p;
    for (app::Page page : {app::Page::Klasse, app::Page::Fach}) {
      store::Table& t = p.window->workspace().table(page);
      const char* field = page == app::Page::Klasse ? "KLASSE_ALT" : "FACHALT";
      for (const char* name : {"A", "Z", "B", "Z", "Z"}) appendRow(t, {{field, name}});
      p.window->page(page).refresh();
      p.window->page(page).askSearchText = [](const Text&, const Text&) {
        return std::optional<Text>("z");
      };
    }
    p.window->tabs()->setCurrentIndex(4);
    p.window->action(app::Command::SeekTab)->trigger();  // KLASSE: record 2
    p.window->tabs()->setCurrentIndex(3);
    p.window->action(app::Command::SeekTab)->trigger();  // FACH continues after record 2: record 4
    QCOMPARE(p.window->page(app::Page::Fach).currentRecno(), 4u);
  }

  void pageSevenOffersAKeyCatalogOnlyOnRowsOfItsKind() {
    test::Program p;
    store::Table& t = p.window->workspace().table(app::Page::MehrMinder);
    appendRow(t, {{"ART", "65"}, {"UNTIS_KRZ", "AAA"}});
    appendRow(t, {{"ART", "66"}, {"UNTIS_KRZ", "BBB"}});
    appendRow(t, {{"ART", "67"}, {"UNTIS_KRZ", "CCC"}});
    auto& page = p.window->page(app::Page::MehrMinder);
    page.refresh();
    const auto& c = p.window->workspace().catalogs;
    QVERIFY(!c.AMEHR.empty() && !c.ANICHT.empty() && !c.AMINDER.empty());
    int nicht = columnOf(page, "NICHT"), mehr = columnOf(page, "MEHR"),
        minder = columnOf(page, "MINDER");
    QCOMPARE(offered(page, 0, nicht), qs(c.ANICHT));
    QCOMPARE(offered(page, 0, mehr), QStringList());
    QCOMPARE(offered(page, 1, mehr), qs(c.AMEHR));
    QCOMPARE(offered(page, 1, minder), QStringList());
    QCOMPARE(offered(page, 2, minder), qs(c.AMINDER));
    QCOMPARE(offered(page, 2, nicht), QStringList());
  }

  void teacherPageOffersItsListsAndStoresTheWholeEntry() {
    test::Program p;
    store::Table& t = p.window->workspace().table(app::Page::Lehrer);
    appendRow(t, {{"UNTIS_KRZ", "ABC"}});
    auto& page = p.window->page(app::Page::Lehrer);
    page.refresh();
    QCOMPARE(
        offered(page, 0, columnOf(page, "GESCHLECHT")),
        (QStringList{QStringLiteral("M"), QStringLiteral("W"), QStringLiteral("D"), QString()}));
    QCOMPARE(offered(page, 0, columnOf(page, "EINSATZ")).first(), QString());
    QCOMPARE(offered(page, 0, columnOf(page, "LEHRAMT")),
             qs(p.window->workspace().catalogs.ALEHRAMT));

    auto& b = page.browser();
    QModelIndex index = b.model()->index(0, columnOf(page, "STAATSANGE"));
    QStyleOptionViewItem option;
    std::unique_ptr<QWidget> editor(b.itemDelegate()->createEditor(b.viewport(), option, index));
    auto* combo = qobject_cast<QComboBox*>(editor.get());
    QVERIFY(combo && combo->isEditable() && combo->count() > 1);
    combo->setCurrentIndex(1);
    b.itemDelegate()->setModelData(combo, b.model(), index);
    t.goTo(1);
    QCOMPARE(q(trimRight(t.getText("STAATSANGE"))), combo->itemText(1));
    combo->setEditText(QStringLiteral("frei getippt"));
    b.itemDelegate()->setModelData(combo, b.model(), index);
    t.goTo(1);
    QCOMPARE(q(trimRight(t.getText("STAATSANGE"))), QStringLiteral("frei getippt"));
  }

  void theQualificationListFollowsTheSchoolFormChosenInTheInfoDialog() {
    test::Program p;
    appendRow(p.window->workspace().table(app::Page::Lehrer), {{"UNTIS_KRZ", "ABC"}});
    auto& page = p.window->page(app::Page::Lehrer);
    page.refresh();
    int column = columnOf(page, "QUALART1");
    QCOMPARE(offered(page, 0, column).value(1), q("1=erworben durch LABG/OVP"));
    p.window->runDialog = [](QDialog& d) {
      auto& about = dynamic_cast<help::HelpAboutDialog&>(d);
      about.schoolFormBox()->setCurrentText(QStringLiteral("BK=Berufskolleg"));
      about.continueButton()->click();
    };
    p.window->action(app::Command::StartHelpAbout)->trigger();
    QCOMPARE(q(p.window->workspace().settings.schoolForm), QStringLiteral("BK=Berufskolleg"));
    QStringList bk = offered(page, 0, column);
    QCOMPARE(bk.value(0), QString());
    QCOMPARE(bk.value(1), q(" =erworben durch LABG/OVP"));
    QCOMPARE(offered(page, 0, columnOf(page, "QUALART2")), bk);
  }

  void captionClicksOnPageOneSortAndHighlight() {
    test::Program p;
    store::Table& t = p.window->workspace().table(app::Page::Gpsul);
    appendRow(t, {{"UNR", "3"}, {"KLASSE", "7B"}});
    appendRow(t, {{"UNR", "1"}, {"KLASSE", "9A"}});
    appendRow(t, {{"UNR", "2"}, {"KLASSE", "5C"}});
    auto& page = p.window->page(app::Page::Gpsul);
    page.refresh();
    auto& model = page.model();
    auto column = [&](int c) {
      QStringList values;
      for (int r = 0; r < model.rowCount(); ++r) values << model.index(r, c).data().toString();
      return values;
    };
    auto highlighted = [&](int c) {
      return model.headerData(c, Qt::Horizontal, Qt::BackgroundRole).isValid();
    };
    QCOMPARE(column(0),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    QVERIFY(highlighted(0));

    QHeaderView* header = page.browser().horizontalHeader();
    emit header->sectionClicked(4);
    QCOMPARE(column(4),
             (QStringList{QStringLiteral("5C"), QStringLiteral("7B"), QStringLiteral("9A")}));
    QVERIFY(highlighted(4));
    QVERIFY(!highlighted(0));
    QCOMPARE(page.currentRow(), 0);

    emit header->sectionClicked(1);  // WSTD is not sortable: record order, nothing highlighted
    QCOMPARE(column(0),
             (QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2")}));
    for (int c = 0; c < model.columnCount(); ++c) QVERIFY(!highlighted(c));

    emit header->sectionClicked(0);
    QCOMPARE(column(0),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));

    // Caption clicks change nothing on page 2.
    auto& uvd = p.window->page(app::Page::Uvd);
    emit uvd.browser().horizontalHeader()->sectionClicked(0);
    QCOMPARE(uvd.model().table().order(), 0);
  }

  void bandColoursMarkTheSortedListOnTheReferencePages() {
    test::Program p;
    store::Table& t = p.window->workspace().table(app::Page::Klasse);
    // Each with its new name: a row still waiting for one is marked in a colour of its own.
    for (const char* name : {"C", "A", "B"})
      appendRow(t, {{"KLASSE_ALT", name}, {"KLASSE_NEU", "05A"}});
    auto& model = p.window->page(app::Page::Klasse).model();
    model.refresh();
    QVERIFY(model.data(model.index(0, 0), Qt::BackgroundRole).isValid());
    QVERIFY(!model.data(model.index(1, 0), Qt::BackgroundRole).isValid());
    QVERIFY(model.data(model.index(2, 0), Qt::BackgroundRole).isValid());
  }

  void aTableOfAHundredThousandRecordsOpens() {
    test::TempDir dir;
    test::ScriptedQtUi ui;
    {
      auto ws = test::startOn(dir.path(), ui);
      store::Table& t = ws->table(app::Page::Uvd);
      for (int i = 1; i <= 100000; ++i) {
        t.append();
        t.put("KLASSE", "K" + std::to_string(i));
      }
      t.flush();
    }
    auto ws = test::startOn(dir.path(), ui);
    QVERIFY(ws);
    app::TSWindow window(std::move(ws), ui);
    auto& page = window.page(app::Page::Uvd);
    QCOMPARE(page.model().rowCount(), 100000);
    window.action(app::Command::GoBottomKartei)->trigger();
    QCOMPARE(page.model().index(page.currentRow(), 0).data().toString(), QStringLiteral("K100000"));
  }
};

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
