#pragma once
// The main screen's data sets with their fields, types, sizes and labels.
// Handlers are attached by the screen; this only lays the fields out.

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

// The look-up queries' fields: branches (qryFilial, qryPesqFilial) and
// exclusion justifications (qryJustExcl, qryPesqJust).
void defineBranchFields(engine::DataSet& rows);
void defineJustificationFields(engine::DataSet& rows);

}  // namespace ped::core
