// The screen's window frozen by the screen, in the host's workspace and on
// its own: marks changed meanwhile paint nothing, unfreezing paints the order
// grid anew, a few times at most.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTest>

#include "core/screen_harness.h"
#include "views/paint_counter.h"
#include "views/qt_toolkit.h"

namespace ped::views {
namespace {

using testing::PaintCounter;

TEST(WindowUpdateLock, NothingPaintsWhileFrozenAndUnfreezingPaintsAgain) {
  core::testing::ScreenHarness h;
  h.open();
  core::TfrmLiquidaItem& s = h.screen();
  s.cdsPedido.open();
  for (int i = 0; i < 30; ++i) {
    s.cdsPedido.append();
    s.cdsPedido.field("IDSITPEDIDO").setString("2");
    s.cdsPedido.field("IDCHECK").setString("N");
    s.cdsPedido.post();
  }
  for (bool inWorkspace : {true, false}) {
    SCOPED_TRACE(inWorkspace ? "workspace" : "own window");
    QMdiArea workspace;
    workspace.resize(1000, 800);
    if (inWorkspace) workspace.show();
    QtToolkit toolkit(hostlib::HostServices{}, inWorkspace ? &workspace : nullptr);
    const std::unique_ptr<core::ScreenWindow> window = toolkit.createWindow(s);
    window->showNormal();
    QTableView* grid = nullptr;
    for (QWidget* w : QApplication::allWidgets())
      if (w->objectName() == QStringLiteral("dbgPadrao") && w->isVisible())
        grid = qobject_cast<QTableView*>(w);
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid->window()));
    QTest::qWait(50);

    PaintCounter counter(grid->viewport());
    window->setUpdatesLocked(true);
    for (s.cdsPedido.first(); !s.cdsPedido.eof(); s.cdsPedido.next()) {
      s.cdsPedido.edit();
      s.cdsPedido.field("IDCHECK").setString("B");
      s.cdsPedido.post();
      QApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);
    window->setUpdatesLocked(false);
    QTest::qWait(50);
    // Qt paints a re-enabled view twice, and the mark column's painting
    // redraws the current row once: a few paints, never one per row.
    EXPECT_GE(counter.paints, 1);
    EXPECT_LE(counter.paints, 3);
    for (s.cdsPedido.first(); !s.cdsPedido.eof(); s.cdsPedido.next()) {
      s.cdsPedido.edit();
      s.cdsPedido.field("IDCHECK").setString("N");
      s.cdsPedido.post();
    }
  }
}

}  // namespace
}  // namespace ped::views
