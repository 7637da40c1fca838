// A marking grid's view over a plain grid and data set, with a stand-in for
// the screen that records what reaches it: cell clicks after the cursor
// moved (none on a row the core refused), title clicks, keys the core keeps
// from the table, and a walk with the controls disabled that signals once.

#include "views/marking_grid_events.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/data_set.h"
#include "hostlib/controls.h"
#include "hostlib/keys.h"
#include "views/grid_model.h"
#include "views/host_steps.h"

namespace ped::views {
namespace {

struct Fixture {
  Fixture() {
    rows.addField({.name = "IDCHECK", .size = 1});
    rows.addField({.name = "NRPEDIDO", .size = 10});
    rows.open();
    for (int i = 1; i <= 5; ++i) {
      rows.append();
      rows.field("IDCHECK").setString("N");
      rows.field("NRPEDIDO").setString(std::to_string(i));
      rows.post();
    }
    rows.first();
    rows.events.beforeScroll = [this](engine::DataSet&) {
      if (refuseMoves) throw std::runtime_error("refused");
    };
    // A column without its field is left out of the view: sections and the
    // grid's column indexes differ from there on.
    grid.dataSource = &rows;
    grid.columns = {{.fieldName = "IDCHECK"}, {.fieldName = "NMAUSENTE"}, {.fieldName = "NRPEDIDO"}};
    view = new QTableView;
    view->setModel(new GridModel(grid, view));
    const EventRunner run = [](const std::function<void()>& handler) {
      try {
        handler();
      } catch (const std::exception&) {  // the screen's refusal ends the event
      }
    };
    followCursor(*view, grid, run);
    forwardMarkingEvents(*view, grid,
                         {.cellClick = [this](std::size_t c) { record("cell", c); },
                          .titleClick = [this](std::size_t c) { record("title", c); },
                          .keyDown =
                              [this](int key, unsigned shift) {
                                record("key " + std::to_string(key) + "/" + std::to_string(shift), 0);
                                return keysUsed;
                              }},
                         run);
    view->resize(400, 200);
    view->show();
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, 0));
  }
  ~Fixture() { delete view; }
  void record(const std::string& what, std::size_t column) {
    heard.push_back(what + " " + std::to_string(column) + " @" + std::to_string(rows.recNo()));
  }
  void click(int row, int section, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(view->viewport(), button, {}, cellCentre(row, section));
  }
  QPoint cellCentre(int row, int section) const {
    return view->visualRect(view->model()->index(row, section)).center();
  }

  engine::DataSet rows;
  hostlib::Grid grid{"dbgPadrao"};
  QTableView* view = nullptr;
  std::vector<std::string> heard;
  bool refuseMoves = false;
  bool keysUsed = true;
};

using Heard = std::vector<std::string>;

TEST(MarkingGridEvents, ACellClickReachesTheCoreOnTheClickedRowWithTheGridsColumn) {
  Fixture f;
  f.click(2, 0);
  f.rows.edit();  // leaving the row posts it: the model is reset during the press
  f.click(3, 1);  // the order number: the grid's third column
  EXPECT_EQ(f.heard, (Heard{"cell 0 @3", "cell 2 @4"}));

  // A double click is two clicks; another button, or a press and release on
  // different cells, is none.
  f.heard.clear();
  QTest::mousePress(f.view->viewport(), Qt::LeftButton, {}, f.cellCentre(3, 0));
  QTest::mouseRelease(f.view->viewport(), Qt::LeftButton, {}, f.cellCentre(3, 0));
  QTest::mouseDClick(f.view->viewport(), Qt::LeftButton, {}, f.cellCentre(3, 0));
  QTest::mouseRelease(f.view->viewport(), Qt::LeftButton, {}, f.cellCentre(3, 0));
  f.click(1, 0, Qt::RightButton);
  QTest::mousePress(f.view->viewport(), Qt::LeftButton, {}, f.cellCentre(4, 0));
  QTest::mouseRelease(f.view->viewport(), Qt::LeftButton, {}, f.cellCentre(4, 1));
  EXPECT_EQ(f.heard, (Heard{"cell 0 @4", "cell 0 @4"}));

  // A row the core refuses to move to gets no click; the view stays where
  // the cursor is.
  f.heard.clear();
  const std::size_t at = f.rows.recNo();
  f.refuseMoves = true;
  f.click(0, 0);
  EXPECT_TRUE(f.heard.empty());
  EXPECT_EQ(f.rows.recNo(), at);
  EXPECT_SOON(f.view->currentIndex().row() == static_cast<int>(at) - 1);
}

TEST(MarkingGridEvents, ATitleClickReachesTheCoreAndNeitherSortsNorMoves) {
  Fixture f;
  f.click(2, 0);
  f.heard.clear();
  for (int section : {0, 1}) {
    const QHeaderView* header = f.view->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
  }
  EXPECT_EQ(f.heard, (Heard{"title 0 @3", "title 2 @3"}));
  EXPECT_EQ(f.view->currentIndex().row(), 2);
  EXPECT_FALSE(f.view->isSortingEnabled());
}

TEST(MarkingGridEvents, KeysTheCoreUsesAreNotHandledAgainByTheTable) {
  Fixture f;
  f.click(2, 0);
  f.heard.clear();
  // Ctrl+Space would toggle the table's selection, Ctrl+End move it.
  QTest::keyClick(f.view, Qt::Key_Space, Qt::ControlModifier);
  QTest::keyClick(f.view, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(f.view, Qt::Key_Down);  // no key of the core's: the table moves
  const auto ctrl = std::to_string(hostlib::ssCtrl);
  EXPECT_EQ(f.heard, (Heard{"key 32/" + ctrl + " 0 @3", "key 35/" + ctrl + " 0 @3"}));
  EXPECT_EQ(f.rows.recNo(), 4u);
  EXPECT_TRUE(f.view->selectionModel()->isSelected(f.view->currentIndex()));

  // A key the core leaves alone is the table's.
  f.keysUsed = false;
  QTest::keyClick(f.view, Qt::Key_Space, Qt::ControlModifier);
  EXPECT_FALSE(f.view->selectionModel()->isSelected(f.view->currentIndex()));
}

TEST(MarkingGridEvents, AMarkRepaintsItsRowAndAWalkWithControlsDisabledSignalsOnce) {
  Fixture f;
  auto* model = f.view->model();
  QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
  QSignalSpy reset(model, &QAbstractItemModel::modelReset);
  f.rows.setRecNo(2);
  f.rows.edit();
  f.rows.field("IDCHECK").setString("S");
  ASSERT_FALSE(changed.isEmpty());
  for (const auto& signal : changed) {
    EXPECT_EQ(signal[0].toModelIndex().row(), 1);
    EXPECT_EQ(signal[1].toModelIndex().row(), 1);
  }
  f.rows.post();

  changed.clear();
  reset.clear();
  {
    const engine::ControlsDisabled frozen(f.rows);
    for (f.rows.first(); !f.rows.eof(); f.rows.next()) {
      f.rows.edit();
      f.rows.field("IDCHECK").setString("N");
      f.rows.post();
    }
    EXPECT_EQ(changed.size() + reset.size(), 0);
  }
  // Redrawn in place, not reset: the view keeps its scroll position and
  // cell cursor instead of jumping after every walk.
  EXPECT_EQ(changed.size(), 1);
  EXPECT_EQ(reset.size(), 0);
  EXPECT_EQ(model->index(1, 0).data().toString(), QStringLiteral("N"));
}

}  // namespace
}  // namespace ped::views
