#pragma once
// The filter dialog (TfrmFiltroLiquidaItem): one instance per loaded module,
// created on first use and hidden, never destroyed, between showings, so the
// arguments of the last order query survive for the main screen's reloads.

#include <string>
#include <string_view>

#include "core/shell/screen_environment.h"
#include "hostlib/base_screens.h"

namespace ped::core {

class TfrmFiltroLiquidaItem : public hostlib::TfrmFiltroPadrao {
 public:
  static constexpr std::string_view kScreenCode = "PED00801";
  static constexpr int kHelpContext = 12200801;

  // Runs FormCreate.
  explicit TfrmFiltroLiquidaItem(const ScreenEnvironment& environment);

  void FormCreate();
  void FormActivate();
  void FormClose();

  Toolkit& toolkit;
  hostlib::Control& lblCodTela;

  // The arguments of the last order query, in declaration order.
  std::string stCdFilial, stTNrPedido, stDeIntervalo, stAteIntervalo, stLNrPedido, stStatusPedido,
      stStatusItemPedido, stTCliente, stLCliente, stTProduto, stLProduto, stTVendedor, stLVendedor, stTEmissao,
      stTEntrega, stPrioridade;
  double dtDeEmissao = 0, dtAteEmissao = 0, dtDeEntrega = 0, dtAteEntrega = 0;
};

extern TfrmFiltroLiquidaItem* frmFiltroLiquidaItem;
extern bool boPrimVez;
extern std::string stNrPedido;
extern std::string stVendedor;
extern std::string stCliente;
extern std::string stProduto;

// Shows the filter dialog modally (creating it on first use); returns when
// it has closed.
void CriaFiltroLiquidaItem();
// The number of entries of a list text: its "_" separators plus one.
int ContaChecked(std::string_view listText);

void InitializeCli_ped00801();
void FinalizeCli_ped00801();

}  // namespace ped::core
