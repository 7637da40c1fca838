// Marking orders in the real window, offscreen, on branch 0001: clicks on
// mark cells, the space bar, the operation pop-up opened from the mark
// column's title, clear-all from the title; the marks read from the screen's
// list and from the picture, and the grid painted once after a walk.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <cstdio>
#include <map>

#include "views/host_steps.h"
#include "views/paint_counter.h"

namespace ped::views {
namespace {

using testing::DemoHost;
using testing::PaintCounter;
using testing::part;

// Any message box the screen shows is noted and closed, so a refusal fails
// the test instead of holding it.
class MessageWatch : public QObject {
 public:
  MessageWatch() { startTimer(50); }
  void timerEvent(QTimerEvent*) override {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown.append(box->text());
      box->close();
    }
  }
  QStringList shown;
};

// The order or item grid as the operator sees it: a row's status and mark
// as the screen's list holds them, and the mark as drawn.
struct MarkedGrid {
  explicit MarkedGrid(QTableView* view) : v(view) {
    for (int c = 0; c < v->model()->columnCount(); ++c) {
      const QString title = v->model()->headerData(c, Qt::Horizontal).toString();
      if (title == QStringLiteral("\u2714")) mark = c;
      if (title == QStringLiteral("Sit.")) status = c;
    }
  }
  int rows() const { return v->model()->rowCount(); }
  QString statusOf(int row) const { return v->model()->index(row, status).data().toString(); }
  QString markOf(int row) const { return v->model()->index(row, mark).data().toString(); }
  // Rows of a status, in list order.
  std::vector<int> withStatus(const QString& s) const {
    std::vector<int> out;
    for (int r = 0; r < rows(); ++r)
      if (statusOf(r) == s) out.push_back(r);
    return out;
  }
  QRect markCell(int row) const { return v->visualRect(v->model()->index(row, mark)); }
  // The mark as drawn: the box's inside light grey when blocked, the tick
  // black when marked, white when unmarked.
  QString drawn(const QImage& shot, int row) const {
    const QPoint box = markCell(row).topLeft();
    if (shot.pixelColor(box + QPoint(1 + 5, 5)) == QColor(192, 192, 192)) return QStringLiteral("B");
    if (shot.pixelColor(box + QPoint(1 + 10, 4)) == QColor(0, 0, 0)) return QStringLiteral("S");
    if (shot.pixelColor(box + QPoint(1 + 5, 5)) == QColor(255, 255, 255)) return QStringLiteral("N");
    return {};  // no box
  }
  // "status mark" of every row, as held and as drawn (these must agree).
  QStringList marks() const { return marks(false); }
  QStringList drawnMarks() const { return marks(true); }
  QStringList marks(bool picture) const {
    const QImage shot = v->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QStringList out;
    for (int r = 0; r < rows(); ++r)
      out.append(statusOf(r) + QLatin1Char(' ') + (picture ? drawn(shot, r) : markOf(r)));
    return out;
  }
  // The operator scrolls the row into sight first.
  void clickMark(int row) const {
    v->scrollTo(v->model()->index(row, mark));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, markCell(row).center());
  }
  void clickTitle() const {
    const QHeaderView* header = v->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(mark) + 4, header->height() / 2));
  }
  void save(const char* name) const {
    QDir().mkpath(QStringLiteral("screens"));
    v->window()->grab().save(QStringLiteral("screens/marking_%1.png").arg(QLatin1String(name)));
  }

  QTableView* v;
  int mark = -1, status = -1;
};

std::string text(const QStringList& rows) { return rows.join(QLatin1Char('|')).toStdString(); }

// "status mark" for every row, the marks given by status (others unchanged
// from `before`).
QStringList expected(const QStringList& before, const std::map<QString, QString>& byStatus) {
  QStringList out;
  for (const QString& row : before) {
    const QString status = row.section(QLatin1Char(' '), 0, 0);
    const auto found = byStatus.find(status);
    out.append(found == byStatus.end() ? row : status + QLatin1Char(' ') + found->second);
  }
  return out;
}

TEST(MarkingWindow, ClicksTheSpaceBarThePopUpAndClearAllMarkAndDrawTheOrders) {
  DemoHost host(false);
  host.open();
  QWidget* screen = host.screen();
  ASSERT_NE(screen, nullptr);
  // Tall enough that every order of the branch shows.
  host.runtime->window().resize(1000, 1000);
  screen->parentWidget()->showMaximized();
  EXPECT_SOON(testing::focusInWindowOf(screen) == QStringLiteral("medCdFilial"));
  // Every order of the branch: settled items too, so the reversible orders show.
  bool filtered = false;
  testing::onNextModal([&filtered](QWidget* d) {
    EXPECT_SOON(QApplication::focusWidget() && d->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    for (const char* box :
         {"chbPAndamento", "chbPLiquidado", "chbPParcialmente", "chbIPendente", "chbIConfirmado",
          "chbIAprovado", "chbILiquidado", "chbICancelado", "chbIParcialmente", "chbBaixa", "chbNormal",
          "chbAlta", "chbUrgente", "chbPrioritaria"}) {
      auto* check = part<QCheckBox>(d, box);
      if (check && check->isEnabled() && !check->isChecked()) QTest::mouseClick(check, Qt::LeftButton);
    }
    EXPECT_SOON(QApplication::focusWidget() && d->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    filtered = true;
  });
  QTest::keyClick(part<QLineEdit>(screen, "medCdFilial"), Qt::Key_Tab);
  ASSERT_SOON(filtered);
  const MarkedGrid g(part<QTableView>(screen, "dbgPadrao"));
  ASSERT_SOON(g.rows() > 0);
  ASSERT_GE(g.mark, 0);
  ASSERT_GE(g.status, 0);
  const std::vector<int> reversible = g.withStatus("5");
  ASSERT_GE(reversible.size(), 4u) << text(g.marks());
  ASSERT_FALSE(g.withStatus("2").empty());
  MessageWatch messages;
  const QStringList fresh = g.marks();
  // Orders settled by the automatic flow arrive with no mark and show no box.
  EXPECT_EQ(fresh, expected(fresh, {{"2", "N"}, {"3", ""}, {"5", "N"}, {"6", "N"}}));
  EXPECT_SOON(g.drawnMarks() == fresh) << text(g.drawnMarks());

  // On the item page, a settled item of the fourth reversible order marked
  // with the mouse and unmarked with the space bar.
  g.v->setCurrentIndex(g.v->model()->index(reversible[3], g.status));
  auto* pages = part<QTabWidget>(screen, "pgcPadrao");
  pages->setCurrentIndex(1);
  const MarkedGrid items(part<QTableView>(screen, "dbgItemPedido"));
  ASSERT_SOON(items.rows() > 0 && items.v->isVisible());
  const std::vector<int> settled = items.withStatus("6");
  ASSERT_FALSE(settled.empty()) << text(items.marks());
  items.clickMark(settled[0]);
  EXPECT_EQ(items.markOf(settled[0]), QStringLiteral("S"));
  EXPECT_SOON(items.drawnMarks().value(settled[0]) == QStringLiteral("6 S")) << text(items.drawnMarks());
  items.save("item_marked");
  QTest::keyClick(items.v, Qt::Key_Space);
  EXPECT_EQ(items.markOf(settled[0]), QStringLiteral("N"));
  EXPECT_SOON(items.drawnMarks().value(settled[0]) == QStringLiteral("6 N")) << text(items.drawnMarks());
  pages->setCurrentIndex(0);
  ASSERT_SOON(g.v->isVisible());
  EXPECT_EQ(text(g.marks()), text(fresh));

  // Two reversible orders marked with the mouse, a third with the space bar:
  // the liquidable ones are blocked.
  g.clickMark(reversible[0]);
  g.clickMark(reversible[1]);
  g.v->setCurrentIndex(g.v->model()->index(reversible[2], g.status));
  QTest::keyClick(g.v, Qt::Key_Space);
  QStringList marks = expected(fresh, {{"2", "B"}, {"6", "B"}});
  for (std::size_t i = 0; i < 3; ++i) marks[reversible[i]] = QStringLiteral("5 S");
  EXPECT_EQ(text(g.marks()), text(marks));
  EXPECT_SOON(g.drawnMarks() == marks) << text(g.drawnMarks());
  EXPECT_SOON(g.v->currentIndex().row() == reversible[2]);
  g.save("reversible_marked");

  // Unmarked one by one, the last one releases the blocked orders; the title
  // then offers the operation, and "Liquidação" blocks the reversible ones.
  for (std::size_t i = 0; i < 3; ++i) g.clickMark(reversible[i]);
  EXPECT_EQ(text(g.marks()), text(fresh));
  g.clickTitle();
  auto* popup = part<QMenu>(screen, "ppmPedidoCompleto");
  ASSERT_SOON(popup->isVisible());
  QAction* liquidation = popup->actions().value(0);
  ASSERT_NE(liquidation, nullptr);
  EXPECT_EQ(liquidation->text(), QStringLiteral("Liquidação"));
  popup->grab().save(QStringLiteral("screens/marking_popup.png"));
  QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(liquidation).center());
  marks = expected(fresh, {{"2", "S"}, {"6", "S"}, {"5", "B"}});
  EXPECT_SOON(g.marks() == marks) << text(g.marks());
  EXPECT_SOON(g.drawnMarks() == marks) << text(g.drawnMarks());
  g.save("liquidation_chosen");

  // Nothing left to mark: the title clears every mark, the window frozen
  // meanwhile and the grid painted once afterwards.
  QTest::qWait(100);
  PaintCounter counter(g.v->viewport());
  g.clickTitle();
  const int duringWalk = counter.paints;
  marks = fresh;
  EXPECT_EQ(text(g.marks()), text(marks));
  EXPECT_SOON(g.drawnMarks() == marks) << text(g.drawnMarks());
  QTest::qWait(200);
  // After it: the window unfrozen (Qt paints a re-enabled view twice), the
  // current row's edit mode and the cursor shown again; never one per row.
  EXPECT_EQ(duringWalk, 0);
  EXPECT_GE(counter.paints, 1);
  EXPECT_LE(counter.paints, 5) << "of " << g.rows() << " rows";
  std::printf("clear all: %d paints while it ran, %d after, %d rows\n", duringWalk, counter.paints, g.rows());
  EXPECT_TRUE(g.v->window()->updatesEnabled() && screen->parentWidget()->updatesEnabled());
  EXPECT_EQ(g.v->currentIndex().row(), 0);  // clear-all ends on the first order
  g.save("cleared");
  EXPECT_TRUE(messages.shown.isEmpty()) << text(messages.shown);
}

}  // namespace
}  // namespace ped::views
