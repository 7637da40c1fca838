// The pick lists: where each reads its rows, how often, what it shows, and
// what it refuses.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/filter_steps.h"
#include "hostlib/consiste.h"
#include "hostlib/edit_mask.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(FilterPickLists, OrderNumbersAreAskedOfTheServerAtEveryClick) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  d.click(d.rbtLNrPedido);
  h.host.checkKeys({"0000001001"});
  ASSERT_TRUE(act(h, [&] { d.click(d.sbtNrPedido); })) << h.host.shown().back();
  h.host.checkKeys({"0000001001", "0000001002"});
  ASSERT_TRUE(act(h, [&] { d.click(d.sbtNrPedido); }));
  EXPECT_EQ(h.host.take(),
            (Lines{"aguarde: 6", "aguarde: fim", "lista: Pedido (NRPEDIDO) [] -> 0000001001", "aguarde: 6",
                   "aguarde: fim", "lista: Pedido (NRPEDIDO) [0000001001] -> 0000001001_0000001002"}));
  EXPECT_EQ(stNrPedido, "0000001001_0000001002");

  // A branch without orders: refused, the list as it was.
  h.screen().medCdFilial.setText("0009");
  EXPECT_FALSE(act(h, [&] { d.click(d.sbtNrPedido); }));
  const Lines shown = h.host.take();
  EXPECT_EQ(shown.back(), "erro: Não há pedidos para filial informada.");
  EXPECT_EQ(stNrPedido, "0000001001_0000001002");
}

TEST(FilterPickLists, TheProductQuerySetsOnlyTheParametersItsSqlNames) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  d.qryProduto.setSQL("SELECT CDPRODUTO, CDARVPROD, NMPRODUTO FROM PRODUTO");
  d.qryProdutoBeforeOpen();
  EXPECT_TRUE(d.qryProduto.params().empty());
  d.qryProduto.setSQL("SELECT CDPRODUTO FROM PRODUTO WHERE CDNVPRODUTO = :P_CDNVPRODUTO");
  d.qryProdutoBeforeOpen();
  ASSERT_EQ(d.qryProduto.params().size(), 1u);
  EXPECT_EQ(d.qryProduto.params()[0].first, "P_CDNVPRODUTO");
  EXPECT_EQ(d.qryProduto.params()[0].second, engine::Value(std::int64_t{3}));  // levels of "99.99.999"
}

TEST(FilterPickLists, SellersAndClientsAreReadOnceProductsAtEverySearch) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  h.host.leavePickList();
  act(h, [&] { d.sbtVendedorClick(); });
  engine::DataSet& sellers = d.qryVendedor.rows();
  const std::size_t read = sellers.recordCount();
  ASSERT_GT(read, 0u);
  sellers.first();
  sellers.remove();
  h.host.leavePickList();
  act(h, [&] { d.sbtVendedorClick(); });
  EXPECT_EQ(sellers.recordCount(), read - 1);  // not read again
  EXPECT_EQ(h.host.take(),
            (Lines{"lista: Vendedor (CDVENDEDOR) [] -> saiu", "lista: Vendedor (CDVENDEDOR) [] -> saiu"}));

  h.host.leavePickList();
  act(h, [&] { d.sbtProdutoClick(); });
  engine::DataSet& products = d.qryProduto.rows();
  const std::size_t listed = products.recordCount();
  products.first();
  products.remove();
  h.host.leavePickList();
  act(h, [&] { d.sbtProdutoClick(); });
  EXPECT_EQ(products.recordCount(), listed);
  EXPECT_EQ(h.host.take().back(),
            "lista: Produto|Produtos com pedidos na filial 0001 (CDARVPROD) [] -> saiu");
  // Codes and documents show in the host's masks.
  products.first();
  const std::string code = products.field("CDARVPROD").asString();
  EXPECT_EQ(products.field("CDARVPROD").displayText(), hostlib::EditMask("99.99.999;0;_").format(code));
  EXPECT_NE(products.field("CDARVPROD").displayText(), code);

  h.host.leavePickList();
  act(h, [&] { d.sbtClienteClick(); });
  engine::DataSet& clients = d.qryCliente.rows();
  ASSERT_FALSE(clients.isEmpty());
  for (clients.first(); !clients.eof(); clients.next()) {
    const std::string type = clients.field("IDTPIJURCLIE").asString();
    const std::string raw = clients.field("NRINSJURCLIE").asString();
    EXPECT_EQ(clients.field("NRINSJURCLIE").displayText(),
              hostlib::EditMask(hostlib::consiste::PictPess(type)).format(raw));
  }
}

TEST(FilterPickLists, AnEmptyRegisterIsRefusedWithTheFocusOnItsListButton) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  d.click(d.rbtLVendedor);
  d.click(d.rbtLCliente);
  stVendedor = "0002";
  d.qryVendedor.setSQL(d.qryVendedor.sql() + " LIMIT 0");
  d.qryCliente.setSQL("SELECT * FROM (" + d.qryCliente.sql() + ") WHERE 1 = 0");
  d.setFocus(d.chbAlta);
  EXPECT_FALSE(act(h, [&] { d.keyDown(&d.rbtLVendedor, kKeyF9, 0); }));
  EXPECT_EQ(d.focused(), &d.rbtLVendedor);
  EXPECT_FALSE(act(h, [&] { d.sbtClienteClick(); }));
  EXPECT_EQ(d.focused(), &d.rbtLCliente);
  EXPECT_EQ(h.host.take(), (Lines{"erro: Não há vendedor cadastrado.", "erro: Não há cliente cadastrado."}));
  EXPECT_EQ(stVendedor, "0002");
}

}  // namespace
}  // namespace ped::core::testing
