#pragma once
// The "Liquidação Manual" main screen (TfrmLiquidaItem) and the module-level
// state every part of it shares. The state lives as long as the module is
// loaded, not as long as a screen: a new screen starts with what the last
// one left, except the filter record, which each screen resets.
//
// Handlers are named after the component and the event; the toolkit's view
// forwards the operator's events to them through runEvent and then shows the
// state of the controls.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/shell/cell_painting.h"
#include "core/shell/filter_record.h"
#include "core/shell/screen_data_sets.h"
#include "core/shell/screen_environment.h"
#include "core/stock/allocation_changes.h"
#include "hostlib/base_screens.h"
#include "hostlib/busy.h"
#include "hostlib/database.h"
#include "hostlib/search_button.h"
#include "netclient/net_connection.h"

namespace ped::core {

struct ScreenBookings;

class TfrmLiquidaItem : public hostlib::TfrmPadraoGrid, public ScreenDataSets {
 public:
  static constexpr std::string_view kScreenCode = "PED00800";
  static constexpr int kHelpContext = 12200800;

  // Creates the screen's controls and data sets and runs FormCreate.
  explicit TfrmLiquidaItem(const ScreenEnvironment& environment);
  ~TfrmLiquidaItem() override;

  // The window that shows it (set once, by CriaLiquidaItem).
  void attachWindow(std::unique_ptr<ScreenWindow> window) { window_ = std::move(window); }
  ScreenWindow* window() const { return window_.get(); }

  // Runs one of this screen's handlers as the event loop does (see runEvent).
  bool handle(const std::function<void()>& handler);
  // Closing, as the window's close button does: FormClose, then the screen
  // is released once the current event is done.
  void Close();
  // A close request that waits for the current event to end.
  void PostClose();

  // ---- Host services
  hostlib::Vantora& vantora;
  hostlib::Dialogs& dialogs;
  hostlib::Searches& searches;
  hostlib::Showavi showavi;
  Toolkit& toolkit;

  // ---- Components
  hostlib::Control& lblNome;  // in the navigator: the current order's client
  hostlib::Control& panFilial;
  hostlib::Control& lblFilial;
  hostlib::Control& medCdFilial;  // edit mask ">aaaa;0; "
  hostlib::TBtnPesquisa& btnFilial;
  hostlib::Control& edtNmFilial;  // read-only
  hostlib::Control& sbtFiltro;
  hostlib::PageControl& pgcPadrao;
  hostlib::Control& tshPadrao;
  hostlib::Control& tshItemPedido;
  hostlib::Control& tshJustExcl;
  hostlib::Grid& dbgPadrao;
  hostlib::Grid& dbgItemPedido;
  hostlib::Control& panEvolEstq;
  hostlib::Grid& dbgLiqEst;
  hostlib::Control& panJustExcl;
  hostlib::Control& grbJustExcl;
  hostlib::Control& edtCdJust;
  hostlib::TBtnPesquisa& btnJust;
  hostlib::Control& edtDsJust;
  hostlib::MenuItem& mnuPedido;
  hostlib::MenuItem& mnuItemPedido;
  hostlib::MenuItem& mnuJustExcl;
  hostlib::MenuItem& mnuFiltrar;
  hostlib::MenuItem& mnuHistorico;  // the current order's settlement history
  hostlib::Control& ppmPedidoCompleto;
  hostlib::MenuItem& mnuLiqPedido;
  hostlib::MenuItem& mnuExclu;
  hostlib::Control& ppmItemPedido;
  hostlib::MenuItem& mnuLiqu;
  hostlib::MenuItem& mnuExclLiqu;
  // The lot proposal: a toolbar button and its entry of the operations menu.
  hostlib::Control& sbtProporLotes;
  hostlib::MenuItem& mnuProporLotes;

  static constexpr std::string_view kBranchMask = ">aaaa;0; ";
  std::string cdArvProdMask;  // edit mask of CDARVPROD, the host's product picture

  hostlib::TADOIBQuery qryFilial;
  hostlib::TADOIBQuery qryPesqFilial;
  hostlib::TADOIBQuery qryJustExcl;
  hostlib::TADOIBQuery qryPesqJust;
  netclient::TNetConnection netLiquidaItem;
  const hostlib::TMessages& msgLiquidaItem;

  // ---- Lifecycle
  void FormCreate();
  void FormActivate();
  void FormClose();
  void netLiquidaItemBeforeConnect();
  void sbtImprimirClick();

  // ---- The operator's moves, as the window forwards them
  // A click on a button or menu entry of the screen runs its handler; a
  // control that is not usable ignores it.
  void click(hostlib::Control& control);
  // The focus enters the branch field: panFilialEnter, the focus, then
  // medCdFilialEnter. Nothing while the field is entered already (the window
  // echoes the focus the screen gave it).
  void enterBranchField();
  // The focus left the branch field: medCdFilialExit. Nothing unless the
  // field was entered; a refused branch leaves it entered again.
  void leaveBranchField();
  bool inBranchField() const { return inBranchField_; }

  // ---- Branch and operator context
  void panFilialEnter();
  void medCdFilialEnter();
  void medCdFilialChange();
  void medCdFilialExit();
  void btnFilialBeforePesq();
  void btnFilialAfterPesq();
  // The search button takes no focus. From inside the field a choice waits
  // for the field to be left; from elsewhere the field is entered first and
  // left after a choice, so another branch's orders never stay listed.
  void btnFilialClick();
  void Vd_Filial();
  bool ExibeVendedorLogado() const;
  // Reads the branch's order parameters and the operator's seller
  // (GetParam). An operator the parameters tie to a seller he does not have
  // is told so and the screen closes; anyone else gets the filter dialog,
  // and the filter button afterwards.
  void openFilterForBranch();
  // Writes the branch field's text as an edit does: medCdFilialChange runs
  // when the text changed.
  void setCdFilial(std::string text);

  // ---- Data sets
  // The stored product code laid into the product-code mask; nothing while
  // the item list is empty.
  void cdsItemPedidoCDARVPRODGetText(std::string& text) const;

  // ---- Grid painting: the look of the cell at view position `row` of the
  // grid's data set, in its column `column` (an index of its columns).
  // Painting with the cell cursor in the mark column puts cdsPedido into
  // edit mode.
  CellPainting dbgPadraoDrawColumnCell(std::size_t row, std::size_t column, CellState state);
  CellPainting dbgItemPedidoDrawColumnCell(std::size_t row, std::size_t column, CellState state) const;

  // ---- Orders
  // Reloads parameters, orders and (when stock moves) allocation rows with
  // the last confirmed filter; the list then stands on its first order.
  void AtualizaPedido(bool showBusy);
  void sbtVerificarClick();
  void sbtFiltroClick();
  void mnuFiltrarClick();
  // Shows every settlement and exclusion of the current order's items,
  // newest first, with the stock positions each settlement took. Enabled
  // while the order list has an order.
  void mnuHistoricoClick();
  // The host's search over the list of the page in use (orders or items);
  // the chosen row becomes the current one. Leaving the search changes
  // nothing.
  void sbtProcurarClick();
  void mnuProcurarClick();
  void pgcPadraoChange();
  void cdsPedidoAfterOpen();
  void cdsPedidoAfterScroll();
  // The navigator's caption: the current order's client, in its status's
  // colour. Also after a move made with the scroll handling detached.
  void showCurrentClient();
  void cdsPedidoCalcFields();

  // ---- Items
  void cdsItemPedidoCalcFields();
  // Items liquidated or cancelled cannot be marked: their marks are emptied.
  void DesabilitacaoDefaultItemPed();

  // ---- Stock allocation
  // Panel and column visibility from the order and branch parameters.
  void Habilita_Evol_Estq();
  // Shows only the allocation rows of the current item, none without one.
  // Also run after every load of the orders, so no later check reads
  // another item's rows.
  void cdsItemPedidoAfterScroll();

  // ---- The allocation grid (dbgLiqEst)
  // Which cells take typing and which show the ellipsis button: key cells
  // only in a new row, the quantity in a new or edited row, nothing for
  // items past status 3.
  void Habilita_Botao_Grid_EstLiq();
  void dbgLiqEstEnter();
  // A hidden column hands the cell cursor to the next one.
  void dbgLiqEstColEnter();
  void cdsEvolEstAfterScroll();
  void dtsEvolEstStateChange();
  void dbgItemPedidoEnter();
  // The change cascade of the four key fields: writing a key clears what
  // depends on it. Start_Valid switches it off while the screen writes keys
  // and their dependants itself; Finish_Valid switches it on again.
  void Start_Valid();
  void Finish_Valid();
  void cdsEvolEstCDALMOXARIFEChange();
  void cdsEvolEstCDLOCALESTOQChange();
  void cdsEvolEstNRLOTEESTQChange();
  void cdsEvolEstNRSUBLOTEChange();
  // A new row belongs to the current item.
  void cdsEvolEstNewRecord();
  // Toolbar actions on the allocation rows; each acts only with the item
  // page showing and the allocation grid focused.
  void sbtIncluirClick();
  void sbtAlterarClick();
  void sbtExcluirClick();
  // Fills the current item's allocation from the product's stock positions,
  // earliest lot validity first, each row posted through the post checks;
  // a refusal keeps the rows posted before it. Short stock is told by how
  // much. Acts where sbtIncluirClick acts, on an item still taking rows.
  void sbtProporLotesClick();
  // The proposal exists where stock moves on settlement.
  bool lotProposalOffered() const;
  CellPainting dbgLiqEstDrawColumnCell(std::size_t row, std::size_t column, CellState state) const;

  // ---- The operator's moves in the allocation grid, as the window forwards
  // them; each runs as one event (through handle).
  // The focus enters one of the screen's grids: it becomes the focused
  // control, then its enter handler runs (dbgItemPedidoEnter,
  // dbgLiqEstEnter). Nothing when it has the focus already.
  void enterGrid(hostlib::Grid& grid);
  // Moves the cell cursor to `column` (an index of dbgLiqEst.columns):
  // leaving the current column runs its server check, and a refusal keeps
  // the cursor where it was; then the entered column's handler. Returns
  // whether the cursor moved.
  bool moveLiqEstColumn(std::size_t column);
  // What the operator typed into the cell of `column`: the current row goes
  // into edit when it is not pending, and the field takes the text (a
  // quantity with a decimal comma).
  void typeLiqEstCell(std::size_t column, std::string_view text);
  // Enter or leaving the row: posts a pending row (its checks run).
  void postLiqEst();
  // Esc: drops a pending row's changes.
  void cancelLiqEst();
  // Focus on `field`'s cell: the grid takes the focus (entered as the
  // operator enters it, when it comes from elsewhere) and its cell cursor
  // the field's column. Runs no column handler.
  void focusLiqEstField(std::string_view field);
  // The orders whose allocation rows changed and were not yet confirmed.
  AllocationChanges allocationChanges;
  // Whether the changed allocation rows may be dropped by a reload: nothing
  // changed, or the operator said so.
  bool allocationChangesMayGo();
  // Whether the screen may close: no row being edited and nothing changed,
  // or the operator said so ("Cancelar operação?").
  bool FormCloseQuery();

  // ---- Stock look-ups on the server (GetPosEstq)
  // Each checks one key of the pending row; a key the server does not know
  // is refused with its message, the focus on its cell.
  void Vd_Almoxarifado();
  void Vd_LocalEstoque();
  void Vd_Lote();
  // `post`: run as part of a post, which keeps the typed quantity.
  void Vd_SubLote(bool post);
  // Leaving a key's column checks that key.
  void dbgLiqEstColExit();
  // The ellipsis button: the pick list of stock positions for the selected
  // key, narrowed by the keys to its left.
  void dbgLiqEstEditButtonClick();

  // ---- Allocation row validation and totals
  // The shadow copy cdsEvolEstAux takes the whole content of cdsEvolEst.
  void cdsEvolEstBeforeInsert();
  void cdsEvolEstBeforeEdit();
  // The post checks, in order, and the booking of the quantity.
  void cdsEvolEstBeforePost();
  // A second row of the item with the same position; refused only with
  // lots in use. `switchCascade`: switch the cascade off meanwhile.
  void Valida_Repetido(bool switchCascade);
  void cdsEvolEstAfterPost();
  void cdsEvolEstAfterDelete();
  void cdsEvolEstAfterCancel();
  // The item's rows as a whole: no expired lot, and the quantities add up
  // to the ordered quantity `Q`.
  void Vd_EvolEstq(const std::string& B, const std::string& P, const std::string& I, double Q);

  // ---- Order marking (the order grid's mark column, IDCHECK)
  // `column` is an index of the grid's columns. A cell click finds the
  // grid's cursor already on the clicked row.
  void dbgPadraoCellClick(std::size_t column);
  // Mark all, clear all, or the operation pop-up on a mixed list.
  void dbgPadraoTitleClick(std::size_t column);
  // The base screen's key handling, then the space bar: a click on the
  // current order's mark; with Ctrl, on the mark column's title. Returns
  // whether the key was used (the toolkit then does nothing more with it).
  bool dbgPadraoKeyDown(int key, unsigned shift);
  // The mark cascade: every assignment of an order's mark fetches its items
  // and, for a mark "S", marks them.
  void cdsPedidoIDCHECKChange();
  bool AlgumDeschPedido();
  void LimpezaPedido();
  bool TodosMesmaSitPed();
  // Unmarks everything at the level in use; changes no counter.
  void Deschecar();
  // While a walk over the orders runs, the cascades leave their item fetches
  // to the walk's end, where only the last one is made (and its items
  // marked, for a mark "S"): the item list then ends as every fetch would
  // have left it. Mark all checks the stock of all its orders with one read
  // (OrderStockChecks), and the pass that marks items again fetches only
  // the order whose items it leaves shown. False: every order's items are
  // fetched one by one, as each rule reads them.
  bool batchItemReads = true;
  // GetItem for `order` of `branch` into cdsItemPedido (see callServer).
  void fetchItemsOf(const std::string& branch, const std::string& order);

  // ---- Item marking (the item grid's mark column)
  void dbgItemPedidoCellClick(std::size_t column);
  void dbgItemPedidoTitleClick(std::size_t column);
  bool dbgItemPedidoKeyDown(int key, unsigned shift);
  bool AlgumDeschItemPedido();
  void LimpezaItemPedido();
  bool TodosMesmaSitItemPed();

  // ---- Operation choice
  // The pop-up entries, run when nothing is marked: mark one kind, block
  // (orders) or empty (items) the other.
  void mnuLiqPedidoClick();
  void mnuExcluClick();
  void mnuLiquClick();
  void mnuExclLiquClick();
  // Refuses a confirmation with nothing marked on the page in use.
  void Vd_Check();

  // ---- Freezing the screen's window against repainting (the platform's
  // window-update lock). Nested locks count; the window is frozen from the
  // first lock to the last unlock (see WindowUpdateLock).
  void lockWindowUpdate();
  void unlockWindowUpdate();
  bool windowUpdateLocked() const { return windowLocks_ > 0; }
  // Thaws the window whatever the nesting, so that a message shows on a
  // window that paints; the locks taken before it then leave it alone.
  void releaseWindowUpdate();
  // Changes with every releaseWindowUpdate.
  unsigned windowUpdateGeneration() const { return windowGeneration_; }

  // ---- Exclusion justification (the page tshJustExcl)
  // Completes the code in edtCdJust to its width, looks it up (qryPesqJust)
  // and shows its description; `M`: the code is mandatory. A refusal (or a
  // failing look-up) brings the page to the front, the focus in the code,
  // and aborts.
  void Vd_JustExcl(bool M);
  void btnJustClick();
  void btnJustBeforePesq();
  void btnJustAfterPesq();
  void edtCdJustChange();
  void edtCdJustExit();
  // The operator's moves in the code field, as the window forwards them:
  // text typed (edtCdJustChange runs when it changed), and leaving the
  // field (edtCdJustExit; a refusal keeps the focus there).
  void typeCdJust(std::string text);
  void leaveCdJust();

  // ---- Confirmation and cancel
  void sbtConfirmarClick();
  void sbtCancelarClick();

  // ---- Page menu entries: each shows its page (running the page change
  // when the page was not showing); the order entry also focuses its grid.
  void mnuPedidoClick();
  void mnuItemPedidoClick();
  void mnuJustExclClick();

  // ---- Control enabling: A is empty or "F".
  void habilita(std::string_view A);

  bool primeiraAtivacao() const { return boPrimeiraAtivacao; }

 private:
  void buildControls();
  // Attaches the allocation data set's and grid's handlers.
  void wireAllocation();
  // GetItem for the current order into cdsItemPedido, under the busy
  // indicator (see callServer).
  void loadItems();
  // The steps that end a confirmation, whatever it did: the lists reloaded,
  // the controls and the justification reset, the order `returnOrder`
  // (NRPEDIDO; empty: none) found again.
  void confirmClosingSteps(const std::string& returnOrder);
  // GetItem again for the current order, which stays current (kept in
  // stSelNrPedido), under the busy indicator.
  void reloadItemsOfCurrentOrder();
  // The pages, the positions and the grid's editing after a cancel.
  void restoreAfterCancel();
  // Cancel away from the allocation grid: every mark of the level in use
  // taken off, with what the marks had blocked, and both counts zeroed.
  void dropMarks();
  // Looks the product's positions up, posts the planned rows and returns
  // what the positions could not cover, under the busy indicator and the
  // window's freeze, both released on every way out.
  double proposeLots(double wanted, const ScreenBookings& booked);
  // ---- Order marking's walks (orders/order_walk.h)
  friend class OrderWalk;
  // The item fetch a cascade left for the end of its walk, and what the
  // cascade's rule needs to finish after it.
  struct DeferredItemFetch {
    std::string branch, order, mark;
  };
  // Makes the deferred fetch, if any, and the rule's steps that followed it.
  void makeDeferredItemFetch();
  // The cascade's rule for a mark "S": the items an operation can take go
  // with their order.
  void markItemsOfMarkedOrder();
  int orderWalks_ = 0;
  std::optional<DeferredItemFetch> deferredItemFetch_;

  bool boPrimeiraAtivacao = false;
  bool inBranchField_ = false;
  int windowLocks_ = 0;
  unsigned windowGeneration_ = 0;
  std::unique_ptr<ScreenWindow> window_;
};

// ---- Module-level state. It lives while the module is loaded: a closed
// screen leaves it to the next one. Only the UI thread touches it.

// The one main screen, while it exists; owned by the unit (CriaLiquidaItem).
extern TfrmLiquidaItem* frmLiquidaItem;
// True from the screen's creation until its FormClose; guards single creation.
extern bool boIdCriado;
// True until the first move through the orders after the module loaded:
// that move fetches the items even off the item page (cdsPedidoAfterScroll).
extern bool boEvento;
// The operator's filter, which the filter dialog restores and records;
// each new screen resets it (FormCreate).
extern TFiltro Filtro;
// NRITEMPED of the current item, kept by the filter button to find the row
// again after an operation that reloads the items.
extern std::string stNrItemPed;
// NRPEDIDO of the current order, kept across a reload (the filter button,
// the reload button on the item page) to find the order again.
extern std::string stSelNrPedido;
// True only while a space bar in the order or item grid is handled as a
// click on the mark column (order and item marking).
extern bool boTeclado;
// What is marked, of which kind, at which level: `marking`
// (core/orders/marking_state.h).
// NRITEMPED kept by item marking to put the item list back on its row.
extern std::string reposicionar;

// Opens the screen: creates it when there is none, then restores it and
// brings it to the front.
void CriaLiquidaItem();

// The unit's initialisation and finalisation; nested calls are counted and
// only the outermost pair acts.
void InitializeCli_ped00800();
void FinalizeCli_ped00800();

}  // namespace ped::core
