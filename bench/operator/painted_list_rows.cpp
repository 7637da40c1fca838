// The order list as the window paints it: the screen's Qt window over the
// core, its order grid showing 10,000 orders. Timed: the rows replaced in
// the screen's list (its handlers run, the grid's model resets), the
// events that lay the view out, and the view painted into a picture. The
// server call and the packet's decoding are in the list's opening.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QTableView>

#include "action_row.h"
#include "operator/operator_screen.h"
#include "views/liquida_item_window.h"

namespace ped::bench {
namespace {

void BM_PaintOrderList(benchmark::State& state) {
  OperatorScreen o("0001", "26");
  core::TfrmLiquidaItem& s = o.s;
  views::LiquidaItemWindow window(s);
  window.show();
  auto* view = window.findChild<QTableView*>("dbgPadrao");
  if (view == nullptr) o.fail("a grade de pedidos não existe");
  QApplication::processEvents();
  engine::DataSet listed;
  listed.copyFrom(s.cdsPedido);
  ActionTimes times(state);
  qint64 pixels = 0;
  for (auto _ : state) {
    o.run([&] { s.cdsPedido.emptyDataSet(); }, "lista vazia");
    QApplication::processEvents();
    times.time([&] {
      o.run([&] { s.cdsPedido.copyFrom(listed); }, "lista");
      QApplication::processEvents();
      const QPixmap picture = view->grab();
      pixels = static_cast<qint64>(picture.width()) * picture.height();
    });
    if (view->model()->rowCount() != static_cast<int>(kListedOrders)) o.fail("a grade não mostra a lista");
    o.shown();
  }
  times.report("order list painted: rows in, model reset, layout, first screenful");
  state.counters["pixels"] = static_cast<double>(pixels);
}
BENCHMARK(BM_PaintOrderList)->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();

}  // namespace
}  // namespace ped::bench
