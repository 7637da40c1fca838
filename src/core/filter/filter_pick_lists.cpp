// The pick lists of order numbers (from the application server), sellers,
// clients and products (from the look-up database).

#include "core/filter/Cli_ped00801.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/shell/remote_call.h"
#include "hostlib/consiste.h"
#include "hostlib/edit_mask.h"
#include "hostlib/searches.h"

namespace ped::core {

namespace consiste = hostlib::consiste;

namespace {

// Runs a look-up; a database failure is shown and ends the search.
void openQuery(hostlib::Dialogs& dialogs, hostlib::TADOIBQuery& query) {
  try {
    query.Open();
  } catch (const hostlib::DatabaseError& e) {
    consiste::MensErro(dialogs, e.what(), true);
  }
}

}  // namespace

TfrmLiquidaItem& TfrmFiltroLiquidaItem::filteredScreen() {
  // Without the main screen there is no branch nor server to ask.
  if (frmLiquidaItem == nullptr)
    consiste::MensErro(dialogs, "A tela de Liquidação Manual não está aberta.", true);
  return *frmLiquidaItem;
}

void TfrmFiltroLiquidaItem::sbtNrPedidoClick() {
  TfrmLiquidaItem& screen = filteredScreen();
  callServer(
      screen, "GetNrPedido",
      {parameterText(screen.cdsVendLog, "CDVENDEDOR"), screen.medCdFilial.text(), screen.vantora.Operador()},
      {&cdsNrPedido});
  if (cdsNrPedido.isEmpty()) consiste::MensErro(dialogs, msgPadrao.Msg("N_PEDIDOS_CAD"), true);
  hostlib::Pesqlista::PesquisaLista(searches, cdsNrPedido, "NRPEDIDO", msgPadrao.Msg("PEDIDO"), false,
                                    stNrPedido);
}

void TfrmFiltroLiquidaItem::pickFromQuery(hostlib::TADOIBQuery& query, RadioButton& listButton,
                                          const char* emptyKey, const char* titleKey, const char* keyField,
                                          std::string& list) {
  // Read once for each dialog: later searches show the rows read then.
  if (!query.active()) openQuery(dialogs, query);
  if (query.rows().isEmpty()) refuse(listButton, msgPadrao.Msg(emptyKey));
  hostlib::Pesqlista::PesquisaLista(searches, query.rows(), keyField, msgPadrao.Msg(titleKey), false, list);
}

void TfrmFiltroLiquidaItem::sbtVendedorClick() {
  pickFromQuery(qryVendedor, rbtLVendedor, "VEND", "VENDEDOR", "CDVENDEDOR", stVendedor);
}

void TfrmFiltroLiquidaItem::sbtClienteClick() {
  pickFromQuery(qryCliente, rbtLCliente, "CLIE", "CLIENTE", "CDCLIENTE", stCliente);
}

void TfrmFiltroLiquidaItem::sbtProdutoClick() {
  const std::string branch = filteredScreen().medCdFilial.text();
  qryProduto.Close();
  openQuery(dialogs, qryProduto);
  std::string line;
  try {
    line = hostlib::SQL_Pesquisa_Produto(branch, "", qryProduto, true);
  } catch (const hostlib::DatabaseError& e) {
    consiste::MensErro(dialogs, e.what(), true);
  }
  const std::string title = msgPadrao.Msg("PRODUTO") + "|" + line;
  hostlib::Pesqlista::PesquisaLista(searches, qryProduto.rows(), "CDARVPROD", title, false, stProduto);
}

void TfrmFiltroLiquidaItem::qryProdutoBeforeOpen() {
  if (qryProduto.hasParam("P_CDNVPRODUTO"))
    qryProduto.setParam(
        "P_CDNVPRODUTO",
        engine::Value(static_cast<std::int64_t>(env_.host.vantora->DBPictObj(0).GetTtNiveis())));
  if (qryProduto.hasParam("P_CDFILIAL"))
    qryProduto.setParam("P_CDFILIAL", engine::Value(filteredScreen().medCdFilial.text()));
}

void TfrmFiltroLiquidaItem::qryClienteNRINSJURCLIEGetText(std::string& text) {
  const std::string personType = qryCliente.rows().field("IDTPIJURCLIE").asString();
  text = hostlib::EditMask(consiste::PictPess(personType)).format(text);
}

void TfrmFiltroLiquidaItem::qryProdutoCDARVPRODGetText(std::string& text) {
  text = hostlib::EditMask(env_.host.vantora->DBPict(0)).format(text);
}

}  // namespace ped::core
