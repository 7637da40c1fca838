// The filter dialog's controls in the state of its form definition, and its
// pick-list sources.

#include "core/filter/Cli_ped00801.h"
#include "core/filter/filter_messages.h"
#include "core/shell/screen_data_sets.h"

namespace ped::core {
namespace {

template <class C = hostlib::Control>
C& child(hostlib::Control& parent, std::string name, std::string caption = {}) {
  C& c = parent.add<C>(std::move(name));
  c.setCaption(std::move(caption));
  return c;
}

constexpr const char* kSearchCaption = "...";

}  // namespace

bool RadioButton::select() {
  if (parent() != nullptr)
    for (const auto& sibling : parent()->children())
      if (sibling.get() != this && dynamic_cast<RadioButton*>(sibling.get())) sibling->setChecked(false);
  const bool changed = !checked();
  setChecked(true);
  return changed;
}

TfrmFiltroLiquidaItem::TfrmFiltroLiquidaItem(const ScreenEnvironment& env)
    : TfrmFiltroPadrao("frmFiltroLiquidaItem", kScreenCode, kHelpContext),
      toolkit(*env.toolkit),
      dialogs(*env.host.dialogs),
      searches(*env.host.searches),
      lblCodTela(child(*this, "lblCodTela", std::string(kScreenCode))),
      sbtLimpa(child(*this, "sbtLimpa", "Desfazer")),
      grbNrPedido(child(grbFiltroPadrao, "grbNrPedido", "Nº Pedido")),
      rbtTNrPedido(child<RadioButton>(grbNrPedido, "rbtTNrPedido", "Todos")),
      rbtIntervalo(child<RadioButton>(grbNrPedido, "rbtIntervalo", "Intervalo")),
      rbtLNrPedido(child<RadioButton>(grbNrPedido, "rbtLNrPedido", "Lista")),
      lblDeNrPedido(child(grbNrPedido, "lblDeNrPedido", "de")),
      medDeIntervalo(child(grbNrPedido, "medDeIntervalo")),
      lblAteNrPedido(child(grbNrPedido, "lblAteNrPedido", "até")),
      medAteIntervalo(child(grbNrPedido, "medAteIntervalo")),
      sbtNrPedido(child(grbNrPedido, "sbtNrPedido", kSearchCaption)),
      grbPedido(child(grbFiltroPadrao, "grbPedido", "Situação do Pedido")),
      chbPPendente(child(grbPedido, "chbPPendente", "Pendente")),
      chbPAndamento(child(grbPedido, "chbPAndamento", "Em Andamento")),
      chbPLiquidado(child(grbPedido, "chbPLiquidado", "Liquidado")),
      chbPCancelado(child(grbPedido, "chbPCancelado", "Cancelado")),
      chbPParcialmente(child(grbPedido, "chbPParcialmente", "Parc. Atendido")),
      grbItemPedido(child(grbFiltroPadrao, "grbItemPedido", "Situação do Item")),
      chbIPendente(child(grbItemPedido, "chbIPendente", "Pendente")),
      chbIConfirmado(child(grbItemPedido, "chbIConfirmado", "Confirmado")),
      chbIAprovado(child(grbItemPedido, "chbIAprovado", "Aprovado")),
      chbILiquidado(child(grbItemPedido, "chbILiquidado", "Liquidado")),
      chbICancelado(child(grbItemPedido, "chbICancelado", "Cancelado")),
      chbIParcialmente(child(grbItemPedido, "chbIParcialmente", "Parc. Atendido")),
      grbCliente(child(grbFiltroPadrao, "grbCliente", "Cliente")),
      rbtTCliente(child<RadioButton>(grbCliente, "rbtTCliente", "Todos")),
      rbtLCliente(child<RadioButton>(grbCliente, "rbtLCliente", "Lista")),
      sbtCliente(child(grbCliente, "sbtCliente", kSearchCaption)),
      grbProduto(child(grbFiltroPadrao, "grbProduto", "Produto")),
      rbtTProduto(child<RadioButton>(grbProduto, "rbtTProduto", "Todos")),
      rbtLProduto(child<RadioButton>(grbProduto, "rbtLProduto", "Lista")),
      sbtProduto(child(grbProduto, "sbtProduto", kSearchCaption)),
      grbVendedor(child(grbFiltroPadrao, "grbVendedor", "Vendedor")),
      rbtTVendedor(child<RadioButton>(grbVendedor, "rbtTVendedor", "Todos")),
      rbtLVendedor(child<RadioButton>(grbVendedor, "rbtLVendedor", "Lista")),
      sbtVendedor(child(grbVendedor, "sbtVendedor", kSearchCaption)),
      grbEmissao(child(grbFiltroPadrao, "grbEmissao", "Data Pedido")),
      lblDeEmissao(child(grbEmissao, "lblDeEmissao", "de")),
      depDeEmissao(child<hostlib::TDateEditPlus>(grbEmissao, "depDeEmissao")),
      lblAteEmissao(child(grbEmissao, "lblAteEmissao", "até")),
      depAteEmissao(child<hostlib::TDateEditPlus>(grbEmissao, "depAteEmissao")),
      grbEntrega(child(grbFiltroPadrao, "grbEntrega", "Data Entrega")),
      lblDeEntrega(child(grbEntrega, "lblDeEntrega", "de")),
      depDeEntrega(child<hostlib::TDateEditPlus>(grbEntrega, "depDeEntrega")),
      lblAteEntrega(child(grbEntrega, "lblAteEntrega", "até")),
      depAteEntrega(child<hostlib::TDateEditPlus>(grbEntrega, "depAteEntrega")),
      grbPrioridade(child(grbFiltroPadrao, "grbPrioridade", "Prioridade")),
      chbBaixa(child(grbPrioridade, "chbBaixa", "Baixa")),
      chbNormal(child(grbPrioridade, "chbNormal", "Normal")),
      chbAlta(child(grbPrioridade, "chbAlta", "Alta")),
      chbUrgente(child(grbPrioridade, "chbUrgente", "Urgente")),
      chbPrioritaria(child(grbPrioridade, "chbPrioritaria", "Prioritária")),
      qryVendedor(*env.host.database, "qryVendedor"),
      qryCliente(*env.host.database, "qryCliente"),
      qryProduto(*env.host.database, "qryProduto"),
      env_(env) {
  setCaption("Filtro de Liquidação Manual");
  helpFile = "pedhelp.hlp";
  msgPadrao = filtroLiquidaItemMessages();
  buildControls();
  definePickListFields();
  FormCreate();
}

void TfrmFiltroLiquidaItem::buildControls() {
  rbtTNrPedido.setChecked(true);
  for (hostlib::Control* c :
       {&lblDeNrPedido, &lblAteNrPedido, &medDeIntervalo, &medAteIntervalo, &sbtNrPedido})
    c->setEnabled(false);
  for (hostlib::Control* c : {&medDeIntervalo, &medAteIntervalo}) c->setColor(edit_colour::clWindow);

  chbPPendente.setEnabled(false);
  chbPCancelado.setEnabled(false);
  for (hostlib::Control* c :
       {&chbPAndamento, &chbPLiquidado, &chbIPendente, &chbIConfirmado, &chbIAprovado, &chbILiquidado,
        &chbICancelado, &chbIParcialmente, &chbBaixa, &chbNormal, &chbAlta, &chbUrgente, &chbPrioritaria})
    c->setChecked(true);

  for (RadioButton* all : {&rbtTCliente, &rbtTProduto, &rbtTVendedor}) all->setChecked(true);
  for (hostlib::Control* search : {&sbtCliente, &sbtProduto, &sbtVendedor}) search->setEnabled(false);
}

std::vector<hostlib::Control*> TfrmFiltroLiquidaItem::filterCheckBoxes() const {
  return {&chbNormal,     &chbAlta,       &chbUrgente,       &chbBaixa,        &chbPrioritaria,
          &chbPAndamento, &chbPLiquidado, &chbPParcialmente, &chbIPendente,    &chbIConfirmado,
          &chbIAprovado,  &chbILiquidado, &chbICancelado,    &chbIParcialmente};
}

void TfrmFiltroLiquidaItem::definePickListFields() {
  using engine::FieldDef;
  defineFields(cdsNrPedido, domain::layouts::orderNumbers(),
               {{"NRPEDIDO", "Numero", 14}, {"NMFANTCLIE", "Cliente"}});

  qryVendedor.setSQL("SELECT CDVENDEDOR, NMFANVEN FROM VENDEDOR ORDER BY CDVENDEDOR");
  engine::DataSet& sellers = qryVendedor.rows();
  sellers.addField(FieldDef{.name = "CDVENDEDOR", .size = 4, .label = "Código"});
  sellers.addField(FieldDef{.name = "NMFANVEN", .size = 50, .label = "Nome"});

  qryCliente.setSQL(
      "SELECT C.CDCLIENTE, C.IDTPIJURCLIE, C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, P.NMPAIS, "
      "M.SGESTADO, "
      "M.NMMUNICIPIO, E.DSENDECLIE FROM CLIENTE C, PAIS P, MUNICIPIO M, ENDECLIE E "
      "WHERE C.CDCLIENTE = E.CDCLIENTE AND E.CDPAIS = M.CDPAIS AND E.SGESTADO = M.SGESTADO "
      "AND E.CDMUNICIPIO = M.CDMUNICIPIO AND M.CDPAIS = P.CDPAIS AND E.IDTPENDECLIE = 'P' "
      "ORDER BY C.NRINSJURCLIE");
  engine::DataSet& clients = qryCliente.rows();
  clients.addField(FieldDef{.name = "CDCLIENTE", .size = 21, .visible = false});
  clients.addField(FieldDef{.name = "IDTPIJURCLIE", .size = 1, .visible = false});
  clients.addField(FieldDef{.name = "NRINSJURCLIE", .size = 20, .label = "Nr. da Inscrição"});
  clients.addField(FieldDef{.name = "NMFANTCLIE", .size = 50, .label = "Nome Fantasia"});
  clients.addField(FieldDef{.name = "NMRAZSOCCLIE", .size = 50, .label = "Razão Social"});
  clients.addField(FieldDef{.name = "DSENDECLIE", .size = 50, .label = "Endereço"});
  clients.addField(FieldDef{.name = "NMMUNICIPIO", .size = 30, .label = "Município"});
  clients.addField(FieldDef{.name = "SGESTADO", .size = 2, .label = "Estado"});
  clients.addField(FieldDef{.name = "NMPAIS", .size = 30, .label = "País"});
  clients.field("NRINSJURCLIE").onGetText = [this](const engine::Field&, std::string& text, bool) {
    qryClienteNRINSJURCLIEGetText(text);
  };

  qryProduto.setSQL("SELECT CDARVPROD, NMPRODUTO FROM PRODUTO ORDER BY CDARVPROD");
  engine::DataSet& products = qryProduto.rows();
  products.addField(FieldDef{.name = "CDARVPROD", .size = 20, .label = "Código", .displayWidth = 15});
  products.addField(FieldDef{.name = "NMPRODUTO", .size = 50, .label = "Nome"});
  products.field("CDARVPROD").onGetText = [this](const engine::Field&, std::string& text, bool) {
    qryProdutoCDARVPRODGetText(text);
  };
  qryProduto.beforeOpen = [this](hostlib::TADOIBQuery&) { qryProdutoBeforeOpen(); };
}

}  // namespace ped::core
