#pragma once
// The filter dialog (TfrmFiltroLiquidaItem): one instance per loaded module,
// created on first use and hidden, never destroyed, between showings, so the
// arguments of the last order query survive for the main screen's reloads.
//
// The dialog restores its controls from the module's Filtro at each showing,
// keeps the four picked lists in the module globals while it is open, and on
// Confirma writes the 20 GetPedidos arguments and Filtro, runs the order query
// into the main screen and asks the toolkit to close it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/shell/filter_record.h"
#include "core/shell/screen_environment.h"
#include "domain/code_width.h"
#include "engine/data_set.h"
#include "hostlib/base_screens.h"
#include "hostlib/database.h"
#include "hostlib/date_edit.h"
#include "hostlib/keys.h"
#include "netclient/arg.h"

namespace ped::core {

class TfrmLiquidaItem;

// A radio button: checking it unchecks the other radio buttons of its group
// box, as the toolkit's do.
class RadioButton : public hostlib::Control {
 public:
  using Control::Control;
  // Checks this button and unchecks its siblings; returns whether it changed.
  bool select();
};

// Key codes and modifiers as the toolkit reports them to FormKeyDown.
using hostlib::kKeyD;
using hostlib::kKeyF9;
using hostlib::ShiftState;
using hostlib::ssAlt;
using hostlib::ssCtrl;
using hostlib::ssShift;

// Background colours of the range edits.
namespace edit_colour {
inline constexpr std::uint32_t clWindow = 0xFFFFFF;
inline constexpr std::uint32_t clInfoBk = 0xFFFFE1;
}  // namespace edit_colour

class TfrmFiltroLiquidaItem : public hostlib::TfrmFiltroPadrao {
 public:
  static constexpr std::string_view kScreenCode = "PED00801";
  static constexpr int kHelpContext = 12200801;
  static constexpr std::string_view kRangeMask = "9999999999;0; ";
  static constexpr std::size_t kRangeWidth = domain::kOrderNumberWidth;

  // Builds the controls in their form-definition state and runs FormCreate.
  explicit TfrmFiltroLiquidaItem(const ScreenEnvironment& environment);

  // ---- Host services
  Toolkit& toolkit;
  hostlib::Dialogs& dialogs;
  hostlib::Searches& searches;
  // "Today", as the screen's environment tells it.
  const engine::Clock& clock() const;

  // ---- Components (all inside grbFiltroPadrao but lblCodTela and sbtLimpa)
  hostlib::Control& lblCodTela;
  hostlib::Control& sbtLimpa;

  hostlib::Control& grbNrPedido;
  RadioButton& rbtTNrPedido;
  RadioButton& rbtIntervalo;
  RadioButton& rbtLNrPedido;
  hostlib::Control& lblDeNrPedido;
  hostlib::Control& medDeIntervalo;  // edit mask kRangeMask
  hostlib::Control& lblAteNrPedido;
  hostlib::Control& medAteIntervalo;
  hostlib::Control& sbtNrPedido;

  hostlib::Control& grbPedido;
  hostlib::Control& chbPPendente;  // never enabled, never read
  hostlib::Control& chbPAndamento;
  hostlib::Control& chbPLiquidado;
  hostlib::Control& chbPCancelado;  // never enabled, never read
  hostlib::Control& chbPParcialmente;

  hostlib::Control& grbItemPedido;
  hostlib::Control& chbIPendente;
  hostlib::Control& chbIConfirmado;
  hostlib::Control& chbIAprovado;
  hostlib::Control& chbILiquidado;
  hostlib::Control& chbICancelado;
  hostlib::Control& chbIParcialmente;

  hostlib::Control& grbCliente;
  RadioButton& rbtTCliente;
  RadioButton& rbtLCliente;
  hostlib::Control& sbtCliente;

  hostlib::Control& grbProduto;
  RadioButton& rbtTProduto;
  RadioButton& rbtLProduto;
  hostlib::Control& sbtProduto;

  hostlib::Control& grbVendedor;
  RadioButton& rbtTVendedor;
  RadioButton& rbtLVendedor;
  hostlib::Control& sbtVendedor;

  hostlib::Control& grbEmissao;
  hostlib::Control& lblDeEmissao;
  hostlib::TDateEditPlus& depDeEmissao;
  hostlib::Control& lblAteEmissao;
  hostlib::TDateEditPlus& depAteEmissao;

  hostlib::Control& grbEntrega;
  hostlib::Control& lblDeEntrega;
  hostlib::TDateEditPlus& depDeEntrega;
  hostlib::Control& lblAteEntrega;
  hostlib::TDateEditPlus& depAteEntrega;

  hostlib::Control& grbPrioridade;
  hostlib::Control& chbBaixa;
  hostlib::Control& chbNormal;
  hostlib::Control& chbAlta;
  hostlib::Control& chbUrgente;
  hostlib::Control& chbPrioritaria;

  // The fourteen filter check boxes in Filtro's order.
  std::vector<hostlib::Control*> filterCheckBoxes() const;

  // ---- Pick-list sources
  engine::DataSet cdsNrPedido{"cdsNrPedido"};
  hostlib::TADOIBQuery qryVendedor;
  hostlib::TADOIBQuery qryCliente;
  hostlib::TADOIBQuery qryProduto;

  // ---- The arguments of the last order query, in declaration order.
  std::string stCdFilial, stTNrPedido, stDeIntervalo, stAteIntervalo, stLNrPedido, stStatusPedido,
      stStatusItemPedido, stTCliente, stLCliente, stTProduto, stLProduto, stTVendedor, stLVendedor,
      stTEmissao, stTEntrega, stPrioridade;
  double dtDeEmissao = 0, dtAteEmissao = 0, dtDeEntrega = 0, dtAteEntrega = 0;

  // The 20 arguments in GetPedidos' wire order; dates as ISO days, no date
  // as null. The main screen's reload sends the same.
  std::vector<netclient::Arg> GetPedidosArgs() const;

  // ---- Lifecycle
  void FormCreate();
  void FormActivate();
  void FormClose();
  // Asks the toolkit to close the dialog (FormClose runs when it hides).
  void Close();

  // ---- Operator's moves, as the view forwards them
  // A click on a radio button or check box: checks it as the toolkit does,
  // then runs its click handler. A control that is not usable ignores it.
  void click(hostlib::Control& control);
  // Text typed into a range edit: its change handler runs when it changed.
  void typeRange(hostlib::Control& edit, std::string text);
  // Key down with the focus on `focused` (the form's own handler too).
  // Returns whether a handler used the key; the toolkit then does nothing
  // more with it.
  bool keyDown(hostlib::Control* focused, int key, unsigned shift);

  // ---- Handlers
  // The key handlers return whether they used the key.
  bool FormKeyDown(int key, unsigned shift);
  void sbtLimpaClick();
  void rbtTNrPedidoClick();
  void rbtIntervaloClick();
  void rbtLNrPedidoClick();
  void rbtTVendedorClick();
  void rbtLVendedorClick();
  void rbtTClienteClick();
  void rbtLClienteClick();
  void rbtTProdutoClick();
  void rbtLProdutoClick();
  bool rbtLNrPedidoKeyDown(int key, unsigned shift);
  bool rbtLVendedorKeyDown(int key, unsigned shift);
  bool rbtLClienteKeyDown(int key, unsigned shift);
  bool rbtLProdutoKeyDown(int key, unsigned shift);
  void medDeIntervaloChange();
  void medAteIntervaloChange();
  // Saved options: the four picked lists, under the operator's options.
  void btfSaveOpcClick();
  void btfLoadOpcClick();

  // ---- Validation: each returns, or shows its message, moves the focus and
  // aborts.
  void Vd_DeEmissaoInv();
  void Vd_AteEmissaoInv();
  void Vd_DeEntregaInv();
  void Vd_AteEntregaInv();
  void Vd_DeEmissao();
  void Vd_AteEmissao();
  void Vd_Emissao();
  void Vd_DeEntrega();
  void Vd_AteEntrega();
  void Vd_Entrega();
  void Vd_DeIntervalo();
  void Vd_AteIntervalo();
  void Vd_Intervalo();
  void Vd_Intervalo2();
  void Vd_StatusPedido();
  void Vd_StatusItemPedido();
  void Vd_Prioridade();
  void Vd_Lista();
  void medDeIntervaloExit();
  void medAteIntervaloExit();
  void depDeEmissaoExit();
  void depAteEmissaoExit();
  void depDeEntregaExit();
  void depAteEntregaExit();

  // ---- Pick lists
  void sbtNrPedidoClick();
  void sbtClienteClick();
  void sbtProdutoClick();
  void sbtVendedorClick();
  void qryClienteNRINSJURCLIEGetText(std::string& text);
  void qryProdutoCDARVPRODGetText(std::string& text);
  void qryProdutoBeforeOpen();

  // ---- Confirm
  void sbtConfirmaClick();

 private:
  void buildControls();
  void definePickListFields();
  // Refuses with `text`: the message first, then the focus on `focus`.
  [[noreturn]] void refuse(hostlib::Control& focus, std::string_view text);
  // The main screen the dialog filters for; refused when there is none.
  TfrmLiquidaItem& filteredScreen();
  static bool blank(const hostlib::Control& field);
  void refuseWithoutFirst(hostlib::Control& first, const hostlib::Control& last, const char* key);
  void refuseWithoutLast(const hostlib::Control& first, hostlib::Control& last, const char* key);
  void checkDateText(hostlib::TDateEditPlus& field);
  void leaveDateField(hostlib::TDateEditPlus& field);
  void pickFromQuery(hostlib::TADOIBQuery& query, RadioButton& listButton, const char* emptyKey,
                     const char* titleKey, const char* keyField, std::string& list);
  void restoreListGroup(const TListaFiltro& saved, std::string& list, RadioButton& all, RadioButton& listed,
                        hostlib::Control& search);
  void showRangeMode(bool range, bool list);
  void runQuery(TfrmLiquidaItem& screen);
  void buildArguments(TfrmLiquidaItem& screen);
  void recordFilter();

  const ScreenEnvironment& env_;
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
