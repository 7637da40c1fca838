#include "core/shell/screen_data_sets.h"

namespace ped::core {
namespace {

using engine::FieldDef;
using engine::FieldType;

FieldDef text(const char* name, int size, const char* label = "") {
  return {.name = name, .size = size, .label = label};
}
FieldDef number(const char* name, const char* label = "") {
  return {.name = name, .type = FieldType::Float, .label = label};
}
FieldDef date(const char* name, const char* label = "") {
  return {.name = name, .type = FieldType::DateTime, .label = label};
}

void define(engine::DataSet& ds, std::initializer_list<FieldDef> fields) {
  for (const FieldDef& f : fields) ds.addField(f);
}

// The allocation rows and their working copy share the layout; only two
// labels differ.
void defineAllocation(engine::DataSet& ds, const char* qtexpLabel, const char* reservedLabel) {
  define(ds, {text("CDFILIAL", 4), text("CDPRODUTO", 10), text("CDALMOXARIFE", 6, "Almoxarifado"),
              text("CDLOCALESTOQ", 6, "Localização"), text("NRLOTEESTQ", 20, "Lote"),
              text("NRSUBLOTE", 4, "Sub-Lote"), text("SGUNIDADE", 10, "UN"),
              number("QTDISPONIVEL", "Qtde. Disp."), number("QTEXP", qtexpLabel), text("NRPEDIDO", 10),
              text("NRITEMPED", 10, "Nº Item Pedido"), text("DSLOCALESTOQ", 30), text("DSALMOXARIFE", 30),
              number("QTRESPRODPED", reservedLabel), date("DTVALILOTE"), date("DTENTRLOTE", "Entrada do Lote")});
}

}  // namespace

ScreenDataSets::ScreenDataSets() {
  FieldDef dsPedido = text("DsPedido", 70);
  dsPedido.calculated = true;
  define(cdsPedido, {dsPedido, text("IDCHECK", 1), text("IDSITPEDIDO", 1, "Sit."), text("NRPEDIDO", 10, "Nº Pedido"),
                     text("CDCLIENTE", 21), text("NMFANTCLIE", 50, "Cliente"), date("DTENTPED", "Data Entrega"),
                     date("DTPEDIDO", "Data Pedido"), text("CDFILIAL", 4), text("CDVENDEDOR", 4)});

  FieldDef vrTotal = number("VrTotal");
  vrTotal.calculated = true;
  define(cdsItemPedido, {text("CDOPERADOR", 12), text("CDJUSTEXCHIS", 4), text("IDCHECK", 1),
                         text("NRITEMPED", 10, "Nº Item Pedido"), text("IDSITITEMPED", 1, "Sit."),
                         text("CDARVPROD", 20, "Produto"), text("NMPRODUTO", 50, "Nome do Produto"),
                         number("QTITEMPED"), text("SGUNIDADE", 10), number("VRPREUNITPED"), vrTotal,
                         text("NRPEDIDO", 10), text("CDFILIAL", 4), number("VRDESITPED", "Vr. Desc"),
                         text("CDPRODUTO", 10)});

  define(cdsItemPedidoSemFiltro, {text("IDSITITEMPED", 1)});
  define(cdsErro, {text("CDFILIAL", 4), text("NRPEDIDO", 10), text("IDSITPEDIDO", 1), text("DSERRO", 70)});

  defineAllocation(cdsEvolEst, "Qtde. a Liquidar", "");
  cdsEvolEst.setIndexFieldNames("DTVALILOTE");
  defineAllocation(cdsEvolEstAux, "Qtde. a Expedir", "Qtde. Reservada");

  define(cdsPesqEvolEst, {text("CDFILIAL", 4), text("CDPRODUTO", 10), text("CDALMOXARIFE", 6, "Almoxarifado"),
                          text("CDLOCALESTOQ", 6, "Localização"), text("SGUNIDADE", 10, "UN"),
                          number("QTDISPONIVEL", "Qtde. Disp."), text("NRPEDIDO", 10),
                          text("NRITEMPED", 10, "Nº Item Pedido"),
                          {.name = "DSALMOXARIFE", .size = 30, .label = "Almoxarifado", .displayWidth = 20},
                          {.name = "DSLOCALESTOQ", .size = 30, .label = "Localização", .displayWidth = 20},
                          text("NRLOTEESTQ", 20, "Lote"), text("NRSUBLOTE", 4, "Sub-Lote"),
                          number("QTRESPRODPED"), date("DTVALILOTE"), date("DTENTRLOTE")});
  cdsPesqEvolEst.setIndexFieldNames("CDALMOXARIFE;CDLOCALESTOQ");

  define(cdsParamPedido,
         {text("IDEVOLESTLIQMAN", 1), text("IDMENSVEND", 1), text("IDEXIBPEDIDO", 1), text("IDUTRESELOTE", 1)});
  define(cdsParamFilial, {text("IDUTILALMOX", 1), text("IDUTILLCESTQ", 1), text("IDUTILLOTE", 1), text("IDCTRLESTQ", 1)});
  define(cdsVendLog, {text("CDVENDEDOR", 4), text("NMFANVEN", 50), number("VRPECOMVEN"), text("CDPRECOBASE", 2),
                      text("DSPRECOBASE", 30)});
  define(cdsOperTPed, {text("CDOPERADOR", 32)});
}

void defineBranchFields(engine::DataSet& rows) {
  define(rows, {text("CDFILIAL", 8, "Código"), text("NMFILIAL", 30, "Nome")});
}

void defineJustificationFields(engine::DataSet& rows) {
  define(rows, {text("CDJUSTEXCHIS", 4, "Código"), text("DSJUSTEXCHIS", 40, "Descrição")});
}

}  // namespace ped::core
