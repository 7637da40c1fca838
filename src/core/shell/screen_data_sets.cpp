#include "core/shell/screen_data_sets.h"

#include <stdexcept>
#include <string>

#include "engine/text.h"

namespace ped::core {
namespace {

using engine::FieldDef;
using engine::FieldType;
namespace layouts = domain::layouts;

FieldDef text(const char* name, int size, const char* label = "") {
  return {.name = name, .size = size, .label = label};
}

bool inLayout(const layouts::Layout& layout, std::string_view name) {
  for (const engine::FieldSpec& f : layout)
    if (engine::text::equalsIgnoreCase(f.name, name)) return true;
  return false;
}

// The allocation rows and their working copy share the layout; only two
// labels differ.
void defineAllocation(engine::DataSet& ds, const char* qtexpLabel, const char* reservedLabel) {
  defineFields(ds, layouts::stockAllocation(),
               {{"CDALMOXARIFE", "Almoxarifado"},
                {"CDLOCALESTOQ", "Localização"},
                {"NRLOTEESTQ", "Lote"},
                {"NRSUBLOTE", "Sub-Lote"},
                {"SGUNIDADE", "UN"},
                {"QTDISPONIVEL", "Qtde. Disp."},
                {"QTEXP", qtexpLabel},
                {"NRITEMPED", "Nº Item Pedido"},
                {"QTRESPRODPED", reservedLabel},
                {"DTENTRLOTE", "Entrada do Lote"}});
}

}  // namespace

void defineFields(engine::DataSet& ds, const layouts::Layout& layout, std::initializer_list<FieldLook> looks,
                  std::initializer_list<CalculatedField> calculated) {
  for (const FieldLook& look : looks)
    if (!inLayout(layout, look.field))
      throw std::logic_error(ds.name() + ": campo fora do leiaute: " + look.field);
  for (const CalculatedField& c : calculated)
    if (!inLayout(layout, c.before))
      throw std::logic_error(ds.name() + ": campo fora do leiaute: " + c.before);

  for (const engine::FieldSpec& layoutField : layout) {
    for (const CalculatedField& c : calculated)
      if (engine::text::equalsIgnoreCase(c.before, layoutField.name)) {
        FieldDef def = c.def;
        def.calculated = true;
        ds.addField(def);
      }
    FieldDef def{.name = layoutField.name, .type = layoutField.type, .size = layoutField.size};
    for (const FieldLook& look : looks)
      if (engine::text::equalsIgnoreCase(look.field, layoutField.name)) {
        def.label = look.label;
        def.displayWidth = look.displayWidth;
      }
    ds.addField(def);
  }
}

ScreenDataSets::ScreenDataSets() {
  defineFields(cdsPedido, layouts::orders(),
               {{"IDSITPEDIDO", "Sit."},
                {"NRPEDIDO", "Nº Pedido"},
                {"NMFANTCLIE", "Cliente"},
                {"DTENTPED", "Data Entrega"},
                {"DTPEDIDO", "Data Pedido"}},
               {{text("DsPedido", 70), "IDCHECK"}});

  defineFields(cdsItemPedido, layouts::orderItems(),
               {{"NRITEMPED", "Nº Item Pedido"},
                {"IDSITITEMPED", "Sit."},
                {"CDARVPROD", "Produto"},
                {"NMPRODUTO", "Nome do Produto"},
                {"VRDESITPED", "Vr. Desc"}},
               {{{.name = "VrTotal", .type = FieldType::Float}, "NRPEDIDO"}});

  defineFields(cdsItemPedidoSemFiltro, layouts::allItemStatuses(), {});
  defineFields(cdsErro, layouts::orderErrors(), {});

  defineAllocation(cdsEvolEst, "Qtde. a Liquidar", "");
  cdsEvolEst.setIndexFieldNames("DTVALILOTE");
  defineAllocation(cdsEvolEstAux, "Qtde. a Expedir", "Qtde. Reservada");

  defineFields(cdsPesqEvolEst, layouts::stockPositions(),
               {{"CDALMOXARIFE", "Almoxarifado"},
                {"CDLOCALESTOQ", "Localização"},
                {"SGUNIDADE", "UN"},
                {"QTDISPONIVEL", "Qtde. Disp."},
                {"NRITEMPED", "Nº Item Pedido"},
                {"DSALMOXARIFE", "Almoxarifado", 20},
                {"DSLOCALESTOQ", "Localização", 20},
                {"NRLOTEESTQ", "Lote"},
                {"NRSUBLOTE", "Sub-Lote"},
                {"DTVALILOTE", "Validade"}});
  cdsPesqEvolEst.setIndexFieldNames("CDALMOXARIFE;CDLOCALESTOQ");
  // The pick list of stock positions shows what is available, the place and
  // the lot; the branch parameters decide which of these (Habilita_Evol_Estq).
  for (std::size_t f = 0; f < cdsPesqEvolEst.fieldCount(); ++f) {
    engine::Field& field = cdsPesqEvolEst.field(f);
    const std::string& name = field.name();
    field.setVisible(name == "DSALMOXARIFE" || name == "DSLOCALESTOQ" || name == "NRLOTEESTQ" ||
                     name == "NRSUBLOTE");
  }

  defineFields(cdsParamPedido, layouts::orderParameters(), {});
  defineFields(cdsParamFilial, layouts::branchParameters(), {});
  defineFields(cdsVendLog, layouts::operatorSeller(), {});
  defineFields(cdsOperTPed, layouts::operatorsSeeingAll(), {});
}

void defineBranchFields(engine::DataSet& rows) {
  for (const FieldDef& f : {text("CDFILIAL", 8, "Código"), text("NMFILIAL", 30, "Nome")}) rows.addField(f);
}

void defineJustificationFields(engine::DataSet& rows) {
  for (const FieldDef& f : {text("CDJUSTEXCHIS", 4, "Código"), text("DSJUSTEXCHIS", 40, "Descrição")})
    rows.addField(f);
}

}  // namespace ped::core
