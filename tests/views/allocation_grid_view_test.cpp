// The allocation grid's view over a plain grid and data set, with a stand-in
// for the screen that records what the view asks and decides as told: the
// editor opens only where allowed, keys and the "..." button reach the core,
// and the view shows the column the core leaves selected.

#include "views/allocation_grid_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <string>
#include <vector>

#include "engine/data_set.h"
#include "hostlib/controls.h"
#include "views/allocation_cell_editor.h"
#include "views/grid_cursor.h"
#include "views/host_steps.h"

namespace ped::views {
namespace {

constexpr std::size_t kWarehouse = 0, kLot = 1, kAvailable = 2, kQuantity = 3;

struct Fixture {
  Fixture() {
    rows.addField({.name = "CDALMOXARIFE", .size = 6});
    rows.addField({.name = "NRLOTEESTQ", .size = 20});
    rows.addField({.name = "QTDISPONIVEL", .type = engine::FieldType::Float});
    rows.addField({.name = "QTEXP", .type = engine::FieldType::Float});
    rows.open();
    rows.append();
    rows.field("CDALMOXARIFE").setString("01");
    rows.post();
    grid.dataSource = &rows;
    grid.columns = {{.fieldName = "CDALMOXARIFE"},
                    {.fieldName = "NRLOTEESTQ"},
                    {.fieldName = "QTDISPONIVEL", .readOnly = true},
                    {.fieldName = "QTEXP"}};
    grid.setEditing(true);
    AllocationGridMoves moves{.run =
                                  [](const std::function<void()>& handler) {
                                    handler();
                                    return true;
                                  },
                              .moveColumn =
                                  [this](std::size_t column) {
                                    asked.push_back("move " + std::to_string(column));
                                    if (column != refused)
                                      grid.selectedColumn = column == kAvailable ? kQuantity : column;
                                  },
                              .typeCell =
                                  [this](std::size_t column, const std::string& text) {
                                    asked.push_back("type " + std::to_string(column) + " " + text);
                                    rows.edit();
                                    rows.field(grid.columns[column].fieldName).setString(text);
                                  },
                              .post = [this] { asked.push_back("post"), rows.post(); },
                              .cancel = [this] { asked.push_back("cancel"), rows.cancel(); },
                              .pickList = [this] { asked.push_back("pick"); }};
    view = new AllocationGridView(grid, std::move(moves), [](auto...) { return core::CellPainting{}; });
    followCursor(*view, grid, [](const std::function<void()>& handler) { handler(); });
    view->resize(500, 200);
    view->show();
    view->activateWindow();
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, 0));
    EXPECT_SOON(view->hasFocus());
  }
  ~Fixture() { delete view; }
  int column() const { return view->currentIndex().column(); }
  // Typing into the current cell: the first key opens the editor, which
  // takes the rest.
  void type(const QString& text) {
    QTest::keyClick(view, text.at(0).toLatin1());
    if (view->openEditor() && text.size() > 1) QTest::keyClicks(view->openEditor(), text.mid(1));
  }

  engine::DataSet rows{"cdsEvolEst"};
  hostlib::Grid grid{"dbgLiqEst"};
  AllocationGridView* view = nullptr;
  std::vector<std::string> asked;
  std::size_t refused = 99;  // the column the core refuses to enter
};

TEST(AllocationGridView, OpensAnEditorOnlyWhereTheCoreLetsTheOperatorTypeAndTheButtonRunsThePickList) {
  Fixture f;
  f.grid.setEditing(false);
  QTest::keyClick(f.view, Qt::Key_F2);
  EXPECT_EQ(f.view->openEditor(), nullptr);
  f.grid.selectedColumn = kAvailable;  // read-only
  f.grid.setEditing(true);
  QTest::keyClick(f.view, Qt::Key_F2);
  EXPECT_EQ(f.view->openEditor(), nullptr);

  f.grid.selectedColumn = kQuantity;
  f.grid.notifyChanged();
  EXPECT_EQ(f.column(), 3);
  QTest::keyClick(f.view, Qt::Key_F2);
  ASSERT_NE(f.view->openEditor(), nullptr);
  EXPECT_TRUE(f.grid.editorMode);
  f.grid.setEditing(false);  // the core takes typing away: the editor goes
  EXPECT_EQ(f.view->openEditor(), nullptr);
  EXPECT_FALSE(f.grid.editorMode);

  // A key cell given the button opens by itself; the button runs the pick
  // list, and an editor left untouched writes nothing.
  f.grid.selectedColumn = kWarehouse;
  f.grid.setEditing(true);
  f.grid.setColumnButton(kWarehouse, true);
  ASSERT_SOON(f.view->openEditor() != nullptr);
  f.view->openEditor()->button()->click();
  EXPECT_SOON(!f.asked.empty());
  QTest::keyClick(f.view->openEditor(), Qt::Key_Return, Qt::ControlModifier);  // the button from the keyboard
  EXPECT_SOON(f.asked.size() == 2);
  EXPECT_EQ(f.asked, (std::vector<std::string>{"pick", "pick"}));
}

TEST(AllocationGridView, TypesAQuantityWithACommaAndPostsOnEnterOrDropsItOnEsc) {
  Fixture f;
  f.grid.selectedColumn = kQuantity;
  f.grid.notifyChanged();
  f.type("1.5x,234");
  ASSERT_NE(f.view->openEditor(), nullptr);
  EXPECT_EQ(f.view->openEditor()->text(), QStringLiteral("1,523"));
  QTest::keyClick(f.view->openEditor(), Qt::Key_Return);
  EXPECT_EQ(f.asked, (std::vector<std::string>{"type 3 1,523", "post"}));
  EXPECT_DOUBLE_EQ(f.rows.field("QTEXP").asFloat(), 1.523);

  f.asked.clear();
  EXPECT_SOON(f.column() == 3);  // the rows shown anew, the cursor where the core has it
  f.type("7");
  ASSERT_NE(f.view->openEditor(), nullptr);
  QTest::keyClick(f.view->openEditor(), Qt::Key_Escape);
  EXPECT_EQ(f.view->openEditor(), nullptr);
  EXPECT_EQ(f.asked, (std::vector<std::string>{"cancel"}));
  EXPECT_DOUBLE_EQ(f.rows.field("QTEXP").asFloat(), 1.523);

  QuantityValidator quantity;
  for (QString bad : {"1,2345", "1,2,3", "-1", "1e3"}) {
    int at = 0;
    EXPECT_EQ(quantity.validate(bad, at), QValidator::Invalid) << bad;
  }
}

TEST(AllocationGridView, TabAsksTheCoreAndShowsTheColumnItLeavesSelected) {
  Fixture f;
  f.type("02");
  ASSERT_NE(f.view->openEditor(), nullptr);
  f.refused = kLot;
  QTest::keyClick(f.view->openEditor(), Qt::Key_Tab);  // typed, then refused: stays
  EXPECT_EQ(f.asked, (std::vector<std::string>{"type 0 02", "move 1"}));
  EXPECT_EQ(f.column(), 0);

  f.refused = 99;
  QTest::keyClick(f.view, Qt::Key_Tab);
  EXPECT_EQ(f.column(), 1);
  QTest::keyClick(f.view, Qt::Key_Tab);  // the core skips on to the quantity
  EXPECT_EQ(f.column(), 3);
  QTest::keyClick(f.view, Qt::Key_Backtab);
  EXPECT_EQ(f.asked.back(), "move 2");
  f.grid.selectedColumn = kWarehouse;  // the core puts the cursor on a field
  f.grid.notifyChanged();
  EXPECT_EQ(f.column(), 0);
  QTest::mouseClick(f.view->viewport(), Qt::LeftButton, {},
                    f.view->visualRect(f.view->model()->index(0, 1)).center());
  EXPECT_EQ(f.asked.back(), "move 1");
  EXPECT_EQ(f.column(), 1);
}

}  // namespace
}  // namespace ped::views
