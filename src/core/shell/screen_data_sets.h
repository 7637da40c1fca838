#pragma once
// The main screen's data sets with their fields, types, sizes and labels.
// Handlers are attached by the screen; this only lays the fields out. The
// data fields are the packet layouts the server answers with; the screen adds
// labels, display widths and calculated fields.

#include <initializer_list>

#include "domain/layouts.h"
#include "engine/data_set.h"

namespace ped::core {

struct ScreenDataSets {
  ScreenDataSets();

  engine::DataSet cdsPedido{"cdsPedido"};
  engine::DataSet cdsItemPedido{"cdsItemPedido"};
  engine::DataSet cdsItemPedidoSemFiltro{"cdsItemPedidoSemFiltro"};
  engine::DataSet cdsErro{"cdsErro"};
  engine::DataSet cdsEvolEst{"cdsEvolEst"};
  engine::DataSet cdsEvolEstAux{"cdsEvolEstAux"};
  engine::DataSet cdsPesqEvolEst{"cdsPesqEvolEst"};
  engine::DataSet cdsParamPedido{"cdsParamPedido"};
  engine::DataSet cdsParamFilial{"cdsParamFilial"};
  engine::DataSet cdsVendLog{"cdsVendLog"};
  engine::DataSet cdsOperTPed{"cdsOperTPed"};
};

// How the screen shows one data field of a layout.
struct FieldLook {
  const char* field;
  const char* label;
  int displayWidth = 0;  // characters; 0 for the field's own width
};
// A calculated field, put in before the data field `before`.
struct CalculatedField {
  engine::FieldDef def;
  const char* before;
};

// Adds the data fields of `layout` to `ds`, in its order, dressed as `looks`
// say, with `calculated` in their places. Throws std::logic_error when a look
// or a place names a field the layout lacks.
// REQUIRES: `ds` has no fields yet.
void defineFields(engine::DataSet& ds, const domain::layouts::Layout& layout,
                  std::initializer_list<FieldLook> looks,
                  std::initializer_list<CalculatedField> calculated = {});

// The look-up queries' fields: branches (qryFilial, qryPesqFilial) and
// exclusion justifications (qryJustExcl, qryPesqJust).
void defineBranchFields(engine::DataSet& rows);
void defineJustificationFields(engine::DataSet& rows);

}  // namespace ped::core
