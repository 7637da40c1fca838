#pragma once
// State of the host's base windows: the grid screen every screen derives
// from (toolbar buttons, the menu entries beside them, its data source, its
// own message table, navigator, code label and help context) and the filter dialog
// (group box, Confirma / Cancela / Ajuda, options list).

#include <string>
#include <string_view>
#include <vector>

#include "hostlib/controls.h"
#include "hostlib/dialogs.h"
#include "hostlib/messages.h"
#include "hostlib/options_store.h"

namespace ped::engine {
class DataSet;
}

namespace ped::hostlib {

class TfrmPadraoGrid : public Form {
 public:
  TfrmPadraoGrid(std::string name, std::string_view screenCode, int helpContext);

  Control& sbtIncluir;
  Control& sbtAlterar;
  Control& sbtExcluir;
  Control& sbtVerificar;
  Control& sbtConfirmar;
  Control& sbtCancelar;
  Control& sbtProcurar;
  Control& sbtImprimir;
  Control& mnuIncluir;
  Control& mnuAlterar;
  Control& mnuExcluir;
  Control& mnuVerificar;
  Control& mnuConfirmar;
  Control& mnuCancelar;
  Control& mnuProcurar;
  Control& mnuImprimir;
  Control& lblCodTela;  // shows the screen code
  Control& dbnPadrao;   // the navigator panel: moves through dtsPadrao's rows

  engine::DataSet* dtsPadrao = nullptr;
  const TMessages msgPadrao{"Excl|Confirma exclusão?"};
  const int helpContext;
  std::string helpFile;  // set by the screen

  void ShowHelp(Dialogs& dialogs) const { dialogs.showHelp(helpFile, helpContext); }

  // The base screen's own key handling in the screen's grid: Ctrl+Home and
  // Ctrl+End go to the first and the last row of dtsPadrao. Returns whether
  // it used the key.
  bool GridKeyDown(int key, unsigned shift);

  // The menu entry that mirrors a toolbar button (null for other controls).
  Control* menuFor(const Control& button);
  // Enables or disables a toolbar button and its menu entry together.
  void enableAction(Control& button, bool enabled);
};

class TfrmFiltroPadrao : public Form {
 public:
  TfrmFiltroPadrao(std::string name, std::string_view screenCode, int helpContext);

  Control& grbFiltroPadrao;
  Control& sbtConfirma;
  Control& sbtCancel;
  Control& sbtHelp;
  TMessages msgPadrao;
  const std::string screenCode;
  const int helpContext;
  std::string helpFile;  // set by the dialog

  void ShowHelp(Dialogs& dialogs) const { dialogs.showHelp(helpFile, helpContext); }

  OptionsList options;
  void SaveOptions(const OptionsStore& store, std::string_view operatorCode) const {
    store.save(operatorCode, screenCode, options);
  }
  void LoadOptions(const OptionsStore& store, std::string_view operatorCode) {
    options = store.load(operatorCode, screenCode);
  }
};

}  // namespace ped::hostlib
