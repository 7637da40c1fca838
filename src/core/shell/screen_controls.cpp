// The main screen's components as its form defines them: controls, menus,
// grids and their columns, look-up queries, and their initial states.

#include "core/orders/marking_state.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/screen_messages.h"
#include "hostlib/edit_mask.h"

namespace ped::core {
namespace {

using hostlib::Control;
using hostlib::Grid;
using hostlib::MenuItem;

// The mark column's title: a check mark.
constexpr const char* kMarkTitle = "\u2714";

// The mark column holds the 16-pixel picture one pixel in from its left,
// with room for the grid line and the focus frame.
Grid::Column markColumn() {
  return {.fieldName = "IDCHECK", .title = kMarkTitle, .width = MarkImage::kSize + 6, .fixedWidth = true};
}

Grid::Column column(const char* field, int width, const char* title) {
  return {.fieldName = field, .title = title, .width = width};
}

// Quantity and money columns: their titles stand over right-aligned numbers.
Grid::Column numberColumn(const char* field, int width, const char* title) {
  return {.fieldName = field, .title = title, .width = width, .titleRightAligned = true};
}

}  // namespace

TfrmLiquidaItem::TfrmLiquidaItem(const ScreenEnvironment& env)
    : TfrmPadraoGrid("frmLiquidaItem", kScreenCode, kHelpContext),
      vantora(*env.host.vantora),
      dialogs(*env.host.dialogs),
      searches(*env.host.searches),
      showavi(*env.host.busy),
      toolkit(*env.toolkit),
      lblNome(dbnPadrao.add<Control>("lblNome")),
      panFilial(add<Control>("panFilial")),
      lblFilial(panFilial.add<Control>("lblFilial")),
      medCdFilial(panFilial.add<Control>("medCdFilial")),
      btnFilial(panFilial.add<hostlib::TBtnPesquisa>("btnFilial")),
      edtNmFilial(panFilial.add<Control>("edtNmFilial")),
      sbtFiltro(add<Control>("sbtFiltro")),
      pgcPadrao(add<hostlib::PageControl>("pgcPadrao")),
      tshPadrao(pgcPadrao.addPage("tshPadrao", "Pedidos")),
      tshItemPedido(pgcPadrao.addPage("tshItemPedido", "Itens do Pedido")),
      tshJustExcl(pgcPadrao.addPage("tshJustExcl", "Justificativa de Exclusão")),
      dbgPadrao(tshPadrao.add<Grid>("dbgPadrao")),
      dbgItemPedido(tshItemPedido.add<Grid>("dbgItemPedido")),
      panEvolEstq(tshItemPedido.add<Control>("panEvolEstq")),
      dbgLiqEst(panEvolEstq.add<Grid>("dbgLiqEst")),
      panJustExcl(tshJustExcl.add<Control>("panJustExcl")),
      grbJustExcl(panJustExcl.add<Control>("grbJustExcl")),
      edtCdJust(grbJustExcl.add<Control>("edtCdJust")),
      btnJust(grbJustExcl.add<hostlib::TBtnPesquisa>("btnJust")),
      edtDsJust(grbJustExcl.add<Control>("edtDsJust")),
      mnuPedido(add<MenuItem>("mnuPedido", "&Pedidos")),
      mnuItemPedido(add<MenuItem>("mnuItemPedido", "It&ens do Pedido")),
      mnuJustExcl(add<MenuItem>("mnuJustExcl", "&Justificativa de Exclusão")),
      mnuFiltrar(add<MenuItem>("mnuFiltrar", "Fi&ltrar", "Ctrl+L")),
      mnuHistorico(add<MenuItem>("mnuHistorico", "&Histórico", "Ctrl+H")),
      ppmPedidoCompleto(add<Control>("ppmPedidoCompleto")),
      mnuLiqPedido(ppmPedidoCompleto.add<MenuItem>("mnuLiqPedido", "Liquidação")),
      mnuExclu(ppmPedidoCompleto.add<MenuItem>("mnuExclu", "Exclusão da Liquidação")),
      ppmItemPedido(add<Control>("ppmItemPedido")),
      mnuLiqu(ppmItemPedido.add<MenuItem>("mnuLiqu", "Liquidação")),
      mnuExclLiqu(ppmItemPedido.add<MenuItem>("mnuExclLiqu", "Exclusão da Liquidação")),
      sbtProporLotes(add<Control>("sbtProporLotes")),
      mnuProporLotes(add<MenuItem>("mnuProporLotes", "P&ropor lotes", "Ctrl+Shift+P")),
      qryFilial(*env.host.database, "qryFilial"),
      qryPesqFilial(*env.host.database, "qryPesqFilial"),
      qryJustExcl(*env.host.database, "qryJustExcl"),
      qryPesqJust(*env.host.database, "qryPesqJust"),
      msgLiquidaItem(liquidaItemMessages()) {
  buildControls();
  FormCreate();
}

void TfrmLiquidaItem::buildControls() {
  setCaption("Liquidação Manual");
  helpFile = "pedhelp.hlp";
  dtsPadrao = &cdsPedido;

  lblFilial.setCaption("Filial");
  sbtFiltro.setCaption("Filtrar");
  sbtFiltro.setEnabled(false);
  mnuFiltrar.setEnabled(false);
  mnuHistorico.setEnabled(false);
  sbtProporLotes.setCaption("Propor lotes");
  for (Control* c : {&sbtProporLotes, static_cast<Control*>(&mnuProporLotes)}) {
    c->setEnabled(false);
    c->setVisible(false);  // until the parameters say stock moves
  }
  tshItemPedido.setEnabled(false);
  for (Control* c : {&mnuIncluir, &mnuAlterar, &mnuExcluir, &mnuProcurar, &mnuVerificar})
    c->setEnabled(false);
  // Nothing is listed or marked yet: the buttons agree with their menu
  // entries, and with what enabling gives an empty list.
  for (Control* c :
       {&sbtIncluir, &sbtAlterar, &sbtExcluir, &sbtProcurar, &sbtVerificar, &sbtConfirmar, &sbtCancelar})
    enableAction(*c, false);
  mnuPedido.setChecked(true);
  tshJustExcl.setEnabled(false);
  mnuJustExcl.setEnabled(false);
  pgcPadrao.setActivePage(tshPadrao);
  pgcPadrao.onChange = [this] { pgcPadraoChange(); };

  dbgPadrao.dataSource = &cdsPedido;
  dbgPadrao.alwaysShowSelection = true;
  dbgPadrao.columns = {markColumn(),
                       column("IDSITPEDIDO", 24, "Sit."),
                       column("NRPEDIDO", 80, "Nº Pedido"),
                       column("NMFANTCLIE", 231, "Cliente"),
                       column("DTPEDIDO", 66, "Data Pedido"),
                       column("DTENTPED", 70, "Data Entrega")};
  dbgItemPedido.dataSource = &cdsItemPedido;
  // The current item stays in view while the focus is in its allocation rows.
  dbgItemPedido.alwaysShowSelection = true;
  dbgItemPedido.columns = {markColumn(),
                           column("IDSITITEMPED", 24, "Sit."),
                           column("NRITEMPED", 80, "Nº Item Pedido"),
                           column("CDARVPROD", 73, "Produto"),
                           column("NMPRODUTO", 158, "Nome do Produto"),
                           numberColumn("QTITEMPED", 74, "Quantidade"),
                           column("SGUNIDADE", 28, "Un."),
                           numberColumn("VRPREUNITPED", 74, "Preço Unitário"),
                           numberColumn("VRDESITPED", 74, "Vr. Desc."),
                           numberColumn("VrTotal", 74, "Valor Total")};
  dbgLiqEst.dataSource = &cdsEvolEst;
  // The row a toolbar button acts on stays marked while the button is used.
  dbgLiqEst.alwaysShowSelection = true;
  dbgLiqEst.columns = {column("CDALMOXARIFE", 172, "Almoxarifado"),
                       column("CDLOCALESTOQ", 138, "Localização"),
                       column("NRLOTEESTQ", 64, "Lote"),
                       column("NRSUBLOTE", 52, "Sub-Lote"),
                       column("DTENTRLOTE", 64, "Entrada do Lote"),
                       column("QTDISPONIVEL", 64, "Qtde. Disp."),
                       column("QTEXP", 82, "Qtde. a Liquidar"),
                       column("SGUNIDADE", 45, "UN")};

  qryFilial.setSQL("SELECT CDFILIAL, NMFILIAL FROM FILIAL ORDER BY CDFILIAL");
  defineBranchFields(qryFilial.rows());
  qryPesqFilial.setSQL("SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL");
  defineBranchFields(qryPesqFilial.rows());
  qryJustExcl.setSQL("SELECT CDJUSTEXCHIS, DSJUSTEXCHIS FROM JUSTEXCHIS ORDER BY CDJUSTEXCHIS");
  defineJustificationFields(qryJustExcl.rows());
  qryPesqJust.setSQL(
      "SELECT CDJUSTEXCHIS, DSJUSTEXCHIS FROM JUSTEXCHIS WHERE (CDJUSTEXCHIS = :P_CDJUSTEXCHIS)");
  defineJustificationFields(qryPesqJust.rows());

  btnFilial.setCaption("...");
  btnFilial.field = &medCdFilial;
  btnFilial.dataSource = &qryFilial.rows();
  btnFilial.title = "Filial";
  btnFilial.emptyListText = "Não há filial cadastrada.";
  btnFilial.onBeforeSearch = [this](hostlib::TBtnPesquisa&) { btnFilialBeforePesq(); };
  btnFilial.onAfterSearch = [this](hostlib::TBtnPesquisa&) { btnFilialAfterPesq(); };

  grbJustExcl.setCaption("Justificativa");
  edtCdJust.setColor(0xFFFFE1);  // the tooltip background, clInfoBk
  edtDsJust.setEnabled(false);
  btnJust.setCaption("...");
  btnJust.field = &edtCdJust;
  btnJust.dataSource = &qryJustExcl.rows();
  btnJust.title = "Justificativa de Exclusão hitórica";
  btnJust.emptyListText = "Justificativa de exclusão do historico não cadastrada.";
  btnJust.onBeforeSearch = [this](hostlib::TBtnPesquisa&) { btnJustBeforePesq(); };
  btnJust.onAfterSearch = [this](hostlib::TBtnPesquisa&) { btnJustAfterPesq(); };

  // Opening a list starts its marks from zero.
  cdsPedido.events.afterOpen = [this](engine::DataSet&) { cdsPedidoAfterOpen(); };
  // A fresh item list also replaces any fetch a walk over the orders left
  // for its end.
  cdsItemPedido.events.afterOpen = [this](engine::DataSet& items) {
    marking.itemsLoaded(items);
    deferredItemFetch_.reset();
  };
  cdsItemPedido.events.afterScroll = [this](engine::DataSet&) { cdsItemPedidoAfterScroll(); };
  cdsItemPedido.events.onCalcFields = [this](engine::DataSet&) { cdsItemPedidoCalcFields(); };
  cdsPedido.events.afterScroll = [this](engine::DataSet&) { cdsPedidoAfterScroll(); };
  cdsPedido.events.onCalcFields = [this](engine::DataSet&) { cdsPedidoCalcFields(); };
  cdsPedido.field("IDCHECK").onChange = [this](engine::Field&) { cdsPedidoIDCHECKChange(); };
  cdsItemPedido.field("CDARVPROD").onGetText = [this](const engine::Field&, std::string& text, bool) {
    cdsItemPedidoCDARVPRODGetText(text);
  };

  wireAllocation();

  netLiquidaItem.OnBeforeConnect = [this](netclient::TNetConnection&) { netLiquidaItemBeforeConnect(); };
}

void TfrmLiquidaItem::cdsItemPedidoCDARVPRODGetText(std::string& text) const {
  if (cdsItemPedido.isEmpty()) {
    text.clear();
    return;
  }
  text = hostlib::EditMask(cdArvProdMask).format(text);
}

}  // namespace ped::core
