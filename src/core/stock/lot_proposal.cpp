// "Propor lotes": the current item's allocation filled from the product's
// stock positions, earliest lot validity first, each row posted as the
// operator posts a picked one, so every post check and booking runs.

#include <optional>

#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/shell/window_lock.h"
#include "core/stock/allocation_editing.h"
#include "core/stock/available_quantity.h"
#include "core/stock/lot_proposal_plan.h"
#include "core/stock/screen_bookings.h"
#include "core/stock/stock_position_lookup.h"
#include "domain/quantities.h"
#include "engine/filter_expression.h"
#include "engine/value_text.h"
#include "hostlib/busy.h"
#include "hostlib/consiste.h"
#include "hostlib/number_format.h"

namespace ped::core {
namespace {

std::optional<double> date(const engine::Field& f) {
  if (f.isNull()) return std::nullopt;
  return f.asDateTime();
}

// The looked-up positions the item may take from. Without lots a row names
// warehouse and location only, so only positions without lot keys qualify;
// with lots a position the item already has a row for would be a duplicate.
std::vector<CandidatePosition> candidatesOf(engine::DataSet& p, const ScreenBookings& booked, bool lots) {
  std::vector<CandidatePosition> out;
  out.reserve(p.recordCount());
  std::size_t index = 0;
  for (p.first(); !p.eof(); p.next(), ++index) {
    CandidatePosition c{.warehouse = p.field("CDALMOXARIFE").asString(),
                        .location = p.field("CDLOCALESTOQ").asString(),
                        .lot = p.field("NRLOTEESTQ").asString(),
                        .subLot = p.field("NRSUBLOTE").asString(),
                        .source = index};
    if (!lots && (!engine::value_text::trim(c.lot).empty() || !engine::value_text::trim(c.subLot).empty()))
      continue;
    if (lots) {
      if (booked.itemPositions.count(positionKey(p))) continue;
      c.validUntil = date(p.field("DTVALILOTE"));
      c.enteredOn = date(p.field("DTENTRLOTE"));
    }
    c.available = availableTo(p, booked);
    out.push_back(std::move(c));
  }
  return out;
}

// A row the post checks refused goes, the rows posted before it stay.
class DropRefusedRow {
 public:
  explicit DropRefusedRow(engine::DataSet& rows) : rows_(rows) {}
  ~DropRefusedRow() {
    if (allocationRowPending(rows_)) rows_.cancel();
  }
  DropRefusedRow(const DropRefusedRow&) = delete;
  DropRefusedRow& operator=(const DropRefusedRow&) = delete;

 private:
  engine::DataSet& rows_;
};

}  // namespace

bool TfrmLiquidaItem::lotProposalOffered() const { return parameterSet(cdsParamPedido, "IDEVOLESTLIQMAN"); }

double TfrmLiquidaItem::proposeLots(double wanted, const ScreenBookings& booked) {
  const bool lots = parameterSet(cdsParamFilial, "IDUTILLOTE");
  const WindowUpdateLock window(*this);
  const hostlib::BusyGuard busy(showavi, hostlib::BusyKind::Loading);
  loadStockPositions(*this, {});
  // The post checks look positions up again into cdsPesqEvolEst: the
  // proposal reads its own copy.
  engine::DataSet positions;
  positions.copyFrom(cdsPesqEvolEst);
  const ProposalPlan plan =
      planLotProposal(candidatesOf(positions, booked, lots), wanted, clockOf(screenEnvironment()).today());
  for (const ProposedTake& take : plan.takes) {
    positions.setRecNo(take.source + 1);
    const DropRefusedRow dropRefused(cdsEvolEst);
    cdsEvolEst.append();  // the rows read in the order they were proposed
    // As a picked position fills a row: each key written after the keys it
    // depends on, the cascade clearing what lies below.
    for (const char* name : {"CDALMOXARIFE", "DSALMOXARIFE", "CDLOCALESTOQ", "DSLOCALESTOQ"})
      cdsEvolEst.field(name).setValue(positions.field(name).value());
    if (lots)
      for (const char* name : {"NRLOTEESTQ", "NRSUBLOTE", "DTVALILOTE"})
        cdsEvolEst.field(name).setValue(positions.field(name).value());
    for (const char* name : {"QTRESPRODPED", "DTENTRLOTE"})
      cdsEvolEst.field(name).setValue(positions.field(name).value());
    cdsEvolEst.field("QTDISPONIVEL").setFloat(storedAvailable(availableTo(positions, booked)));
    cdsEvolEst.field("QTEXP").setFloat(take.quantity);
    cdsEvolEst.post();
  }
  return plan.missing;
}

void TfrmLiquidaItem::sbtProporLotesClick() {
  if (!lotProposalOffered() || !allocationGridInUse(*this) || allocationRowPending(cdsEvolEst) ||
      allocationRowsLocked(cdsItemPedido))
    return;
  const ScreenBookings booked = bookingsOf(*this);
  const double wanted = cdsItemPedido.field("QTITEMPED").asFloat() - booked.heldByItem;
  if (!domain::moreQuantity(wanted, 0)) return;  // the item's rows cover it already
  // Shown once the window shows the rows that could be filled.
  const double missing = proposeLots(wanted, booked);
  if (missing <= 0) return;
  const engine::DataSet& item = cdsItemPedido;
  hostlib::consiste::MensErro(dialogs,
                              "Estoque insuficiente: faltam " + hostlib::FormatFloat("###0.000", missing) +
                                  " " + engine::value_text::trim(item.field("SGUNIDADE").asString()) +
                                  " para o item " +
                                  engine::value_text::trim(item.field("NRITEMPED").asString()) + ".",
                              false);
}

}  // namespace ped::core
