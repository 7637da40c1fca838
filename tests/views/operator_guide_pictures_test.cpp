// The operator's guide walked in the real host with the screen's module, on
// a demo server of the test's own, the way the guide tells it: log-in, the
// branch, the filter, an order's items and one item's stock allocated, the
// order marked, the justification picked from its list, Confirmar, the
// reloaded list, the settlement excluded again, Cancelar, and on another
// branch a confirmation of which another desk settled one order first. Each step
// checks what the operator must see and saves its picture into the guide's
// folder of the source tree, so the guide's pictures are always the
// product's current screens.

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include "hostapp/login_dialog.h"
#include "hostlib_qt/list_window.h"
#include "sql/connection.h"
#include "views/road_steps.h"

namespace ped::views {
namespace {

using namespace testing;

void picture(QWidget* widget, const char* name) {
  QApplication::processEvents();
  const QImage shot = widget->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
  EXPECT_TRUE(shot.save(QStringLiteral(PED_GUIDE_PICTURES_DIR "/%1.png").arg(QLatin1String(name)))) << name;
}

// The first column of the first row of `sql` run with :N = `order`, as text.
std::string firstRow(const std::string& database, const std::string& sql, const std::string& order) {
  const sql::Result r = sql::open(database)->query(sql, {{"N", order}});
  return r.rowCount() ? std::string(r.text(0, r.layout.front().name)) : std::string();
}

class OperatorGuide : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { QDir().mkpath(QStringLiteral(PED_GUIDE_PICTURES_DIR)); }
};

TEST_F(OperatorGuide, PicturesOfTheRoadFromLogInToExclusion) {
  ped::testing::RunningDemoServer server({.orders = 120});

  // Log-in: a wrong password is refused in the window, which stays open.
  netclient::TNetConnection desk;
  desk.Port = server.info().port;
  desk.Open();
  {
    hostapp::LoginDialog login(desk, QStringLiteral("GERENTE"));
    login.show();
    auto* password = part<QLineEdit>(&login, "edtSenha");
    QTest::keyClicks(password, QStringLiteral("errada"));
    picture(&login, "01-entrada");
    part<QPushButton>(&login, "btnEntrar")->click();
    EXPECT_EQ(part<QLabel>(&login, "lblErro")->text(), QStringLiteral("Operador ou senha inválidos."));
    EXPECT_TRUE(login.isVisible());
    QTest::keyClicks(password, QStringLiteral("gerente123"));
    part<QPushButton>(&login, "btnEntrar")->click();
    EXPECT_EQ(login.result(), QDialog::Accepted);
    EXPECT_FALSE(desk.token().empty());
  }

  // The branch typed and left: the filter dialog opens over the screen.
  DemoHost host(false, server.info());
  host.open();
  QWidget* screen = host.screen();
  ASSERT_NE(screen, nullptr);
  host.runtime->window().resize(1000, 640);
  screen->parentWidget()->showMaximized();
  auto* orders = part<QTableView>(screen, "dbgPadrao");
  auto* pages = part<QTabWidget>(screen, "pgcPadrao");
  EXPECT_SOON(focusInWindowOf(screen) == QStringLiteral("medCdFilial"));
  bool filtered = false;
  onNextModal([&](QWidget* dialog) {
    EXPECT_EQ(dialog->objectName(), QStringLiteral("frmFiltroLiquidaItem"));
    EXPECT_EQ(part<QLineEdit>(screen, "edtNmFilial")->text(), QStringLiteral("Matriz São Paulo"));
    picture(screen, "02-filial");
    picture(dialog, "03-filtro");
    filtered = true;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  });
  QTest::keyClick(part<QLineEdit>(screen, "medCdFilial"), Qt::Key_Tab);
  ASSERT_SOON(filtered && orders->model()->rowCount() > 0);

  // A liquidable order lacking one item's allocation: its items, and that
  // item's stock allocated.
  netclient::TNetConnection other;
  other.Port = server.info().port;
  other.Open();
  ASSERT_TRUE(other.Login("GERENTE", "gerente123").ok);
  LackingItem lacking;
  const QString order = orderLackingOneItem(orders, other, lacking);
  ASSERT_FALSE(order.isEmpty());
  orders->setCurrentIndex(orders->model()->index(rowOf(orders, order), 2));
  pages->setCurrentIndex(1);
  auto* items = part<QTableView>(screen, "dbgItemPedido");
  ASSERT_SOON(items->isVisible() && items->model()->rowCount() > 0);
  picture(screen, "04-itens");
  allocateWholeItem(screen, lacking);
  if (HasFatalFailure()) return;
  QTest::qWait(100);
  picture(screen, "05-estoque");

  // The order marked on the orders page.
  pages->setCurrentIndex(0);
  ASSERT_SOON(orders->isVisible());
  clickOrderMark(orders, order, QStringLiteral("S"));
  if (HasFatalFailure()) return;
  QTest::qWait(100);
  picture(screen, "06-pedido-marcado");

  // The justification picked from its list.
  pages->setCurrentIndex(2);
  auto* code = part<QLineEdit>(screen, "edtCdJust");
  auto* description = part<QLineEdit>(screen, "edtDsJust");
  ASSERT_SOON(code->isVisible());
  bool searched = false;
  onNextModal([&](QWidget* search) {
    EXPECT_EQ(search->objectName(), QStringLiteral("frmPesquisa"));
    auto* table = part<QTableView>(search, "grdPesquisa");
    ASSERT_GE(table->model()->rowCount(), 4);
    picture(search, "07-justificativa-pesquisa");
    table->selectRow(3);
    searched = true;
    static_cast<QDialog*>(search)->accept();
  });
  part<QToolButton>(screen, "btnJust")->click();
  ASSERT_SOON(searched && !description->text().isEmpty());
  EXPECT_EQ(code->text(), QStringLiteral("0004"));
  EXPECT_EQ(description->text(), QStringLiteral("MERCADORIA ENTREGUE SEM BAIXA NO SISTEMA"));
  QTest::qWait(100);
  picture(screen, "08-justificativa");

  // Confirmar: the settlement, then the stock movement, both Sim.
  QStringList asked;
  yesToQuestions(2, &asked, [&](QMessageBox* box) {
    if (asked.size() == 1) picture(box, "09-pergunta");
  });
  part<QToolButton>(screen, "sbtConfirmar")->click();
  EXPECT_EQ(asked,
            (QStringList{QStringLiteral("Confirma liquidação dos itens dos pedidos informados?"),
                         QStringLiteral("A liquidação manual do pedido implicará na baixa de estoque, sem "
                                        "possibilidade de devolução. Deseja continuar?")}));

  // The reloaded list: the order shows the database's new status, nothing is marked.
  const std::string settled = firstRow(
      server.info().database, "SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = :N",
      order.toStdString());
  EXPECT_EQ(settled, std::string(domain::order_status::SettledByHand));
  ASSERT_SOON(pages->currentIndex() == 0 && rowOf(orders, order) >= 0 &&
              cell(orders, rowOf(orders, order), QStringLiteral("Sit.")).toStdString() == settled);
  for (int r = 0; r < orders->model()->rowCount(); ++r)
    EXPECT_NE(orders->model()->index(r, 0).data().toString(), QStringLiteral("S")) << r;
  orders->scrollTo(orders->model()->index(rowOf(orders, order), 0));
  QTest::qWait(100);
  picture(screen, "10-lista-recarregada");

  // The settlement excluded again: the order marked, justified, confirmed.
  clickOrderMark(orders, order, QStringLiteral("S"));
  if (HasFatalFailure()) return;
  QTest::qWait(100);
  picture(screen, "11-exclusao-marcada");
  pages->setCurrentIndex(2);
  ASSERT_SOON(code->isVisible());
  code->setFocus();
  QTest::keyClicks(code, QStringLiteral("4"));
  QTest::keyClick(code, Qt::Key_Tab);
  ASSERT_SOON(!description->text().isEmpty());
  asked.clear();
  yesToQuestions(1, &asked, [&](QMessageBox* box) { picture(box, "12-exclusao-pergunta"); });
  part<QToolButton>(screen, "sbtConfirmar")->click();
  EXPECT_EQ(asked,
            QStringList{QStringLiteral(
                "Esta operação excluirá a liquidação do(s) pedido(s) selecionado(s). Deseja continuar?")});
  // Each item settled here has its settlement excluded once.
  auto events = [&](const char* kind) {
    return firstRow(
        server.info().database,
        std::string("SELECT CAST(COUNT(*) AS TEXT) AS N FROM HISTLIQMAN WHERE CDFILIAL = '0001' AND "
                    "NRPEDIDO = :N AND IDOPERACAO = '") +
            kind + "'",
        order.toStdString());
  };
  EXPECT_NE(events("L"), "0");
  EXPECT_EQ(events("E"), events("L"));
  ASSERT_SOON(pages->currentIndex() == 1 && items->model()->rowCount() > 0);
  for (int r = 0; r < items->model()->rowCount(); ++r)
    EXPECT_NE(cell(items, r, QStringLiteral("Sit.")).toStdString(),
              std::string(domain::item_status::SettledByHand))
        << r;
  QTest::qWait(100);
  picture(screen, "13-exclusao-feita");

  pages->setCurrentIndex(0);
  ASSERT_SOON(orders->isVisible());

  // Branch 0003, which moves no stock: two orders marked, and another desk
  // settles the second one first.
  auto* branch = part<QLineEdit>(screen, "medCdFilial");
  branch->setFocus();
  branch->selectAll();
  QTest::keyClicks(branch, QStringLiteral("0003"));
  int filters = 0;
  confirmNextFilter(&filters);
  QTest::keyClick(branch, Qt::Key_Tab);
  ASSERT_SOON(filters == 1 &&
              part<QLineEdit>(screen, "edtNmFilial")->text() == QStringLiteral("Filial Belo Horizonte") &&
              orders->model()->rowCount() > 0);
  QStringList open;
  for (int r = 0; r < orders->model()->rowCount() && open.size() < 2; ++r)
    if (cell(orders, r, QStringLiteral("Sit.")) == QStringLiteral("2"))
      open.append(cell(orders, r, QStringLiteral("Nº Pedido")));
  ASSERT_EQ(open.size(), 2);
  for (const QString& o : open) clickOrderMark(orders, o, QStringLiteral("S"));
  if (HasFatalFailure()) return;
  const hostlib::RemoteResult first = other.call(
      "SetLiquidaPed",
      {netclient::Arg::packet(R"({"fields":[{"name":"IDCHECK","type":"string","size":1},)"
                              R"({"name":"IDSITPEDIDO","type":"string","size":1},)"
                              R"({"name":"NRPEDIDO","type":"string","size":10},)"
                              R"({"name":"CDFILIAL","type":"string","size":4}],"rows":[["S","2",")" +
                              open[1].toStdString() + R"(","0003"]]})"),
       "GERENTE", "0004"});
  ASSERT_TRUE(first.ok && !first.at(1)) << first.error;
  pages->setCurrentIndex(2);
  ASSERT_SOON(code->isVisible());
  code->setFocus();
  QTest::keyClicks(code, QStringLiteral("4"));  // completed and looked up at Confirmar

  // Confirmar: one question; the other desk's order comes back not processed.
  QString refusedOrder, refusal, summary;
  asked.clear();
  yesToQuestions(1, &asked, {}, [&] {
    onNextModal([&](QWidget* window) {
      auto* list = dynamic_cast<hostlib_qt::ListWindowDialog*>(window);
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(list->windowTitle(), QStringLiteral("Pedidos não processados"));
      ASSERT_EQ(list->table()->rowCount(), 1);
      refusedOrder = list->table()->item(0, 1)->text();
      refusal = list->table()->item(0, 3)->text();
      summary = list->summary()->text();
      picture(list, "14-nao-processados");
    });
  });
  part<QToolButton>(screen, "sbtConfirmar")->click();
  EXPECT_EQ(asked, QStringList{QStringLiteral("Confirma liquidação dos itens dos pedidos informados?")});
  EXPECT_EQ(refusedOrder, open[1]);
  EXPECT_TRUE(refusal.startsWith(QStringLiteral("Pedido ") + open[1] +
                                 QStringLiteral(" já liquidado por GERENTE em ")))
      << refusal.toStdString();
  EXPECT_EQ(summary,
            QStringLiteral("1 pedido(s) processado(s), 0 não processado(s), 1 já processado(s) antes."));
  EXPECT_EQ(firstRow(server.info().database,
                     "SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = '0003' AND NRPEDIDO = :N",
                     open[0].toStdString()),
            "5");
  EXPECT_TRUE(screen->window()->updatesEnabled());
}

}  // namespace
}  // namespace ped::views
