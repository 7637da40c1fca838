// The exclusion justification: the code typed or picked on its page, looked
// up in the register and required before every confirmation.

#include <string>

#include "core/shell/Cli_ped00800.h"
#include "domain/code_width.h"
#include "engine/scope_exit.h"
#include "hostlib/consiste.h"
#include "hostlib/database.h"
#include "hostlib/edit_mask.h"

namespace ped::core {

namespace consiste = hostlib::consiste;

namespace {

// Every write of the code by the screen is an edit: a changed code loses the
// description of the one before.
void writeJustCode(TfrmLiquidaItem& s, std::string text) {
  if (text == s.edtCdJust.text()) return;
  s.edtCdJust.setText(std::move(text));
  s.edtCdJustChange();
}

// The description field holds upper case only.
void showJustDescription(TfrmLiquidaItem& s, const std::string& description) {
  s.edtDsJust.setText(hostlib::upperCase(description));
}

// Opens a look-up of the register; a database failure is shown under `what`
// and ends the operation like a refusal.
void openRegister(hostlib::Dialogs& dialogs, hostlib::TADOIBQuery& query, const char* what) {
  try {
    query.Open();
  } catch (const hostlib::DatabaseError& e) {
    consiste::MensErro(dialogs, std::string(what) + "\n" + e.what(), true);
  }
}

}  // namespace

void TfrmLiquidaItem::Vd_JustExcl(bool M) {
  // Whatever stops the check (a refusal or the database) leaves the operator
  // on the page with the code in hand, and goes on to end the caller.
  const engine::OnFailure toThePage{[this] {
    pgcPadrao.setActivePage(tshJustExcl);
    pgcPadraoChange();
    setFocus(edtCdJust);
  }};

  const bool E = consiste::EmptyString(edtCdJust.text());
  if (M && E) {
    tshJustExcl.setEnabled(true);
    consiste::MensErro(dialogs, msgLiquidaItem.Msg("CDJUST_NULL"), true);
  }
  if (E) return;  // an empty code may be left while editing

  writeJustCode(*this, consiste::Ajusta(edtCdJust.text(), domain::kJustificationCodeWidth));
  qryPesqJust.Close();
  qryPesqJust.setParam("P_CDJUSTEXCHIS", engine::Value(edtCdJust.text()));
  openRegister(dialogs, qryPesqJust,
               "Não foi possível consultar a justificativa de exclusão no banco de dados.");
  if (qryPesqJust.rows().isEmpty()) consiste::MensErro(dialogs, msgLiquidaItem.Msg("JUST_N_CAD"), true);
  showJustDescription(*this, qryPesqJust.rows().field("DSJUSTEXCHIS").asString());
}

void TfrmLiquidaItem::btnJustClick() { btnJust.click(dialogs, searches); }

void TfrmLiquidaItem::btnJustBeforePesq() {
  // The list shows the register as it stands now.
  qryJustExcl.Close();
  openRegister(dialogs, qryJustExcl, "Não foi possível ler as justificativas de exclusão do banco de dados.");
}

void TfrmLiquidaItem::btnJustAfterPesq() {
  // The code first: writing it empties the description, written last.
  writeJustCode(*this, qryJustExcl.rows().field("CDJUSTEXCHIS").asString());
  showJustDescription(*this, qryJustExcl.rows().field("DSJUSTEXCHIS").asString());
}

void TfrmLiquidaItem::edtCdJustChange() { edtDsJust.setText(""); }

void TfrmLiquidaItem::edtCdJustExit() { Vd_JustExcl(false); }

void TfrmLiquidaItem::typeCdJust(std::string text) { writeJustCode(*this, std::move(text)); }

void TfrmLiquidaItem::leaveCdJust() {
  // A field shut meanwhile (the branch field entered closes the page) has
  // nothing to check: its code is checked again at the confirmation.
  if (!edtCdJust.usable()) return;
  // A refused code takes the focus back (Vd_JustExcl), so the next move out
  // checks it again.
  edtCdJustExit();
}

}  // namespace ped::core
