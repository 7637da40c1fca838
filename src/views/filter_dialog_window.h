#pragma once
// The filter dialog drawn with Qt, on the host's base filter dialog.

#include "core/filter/Cli_ped00801.h"
#include "hostlib_qt/base_frames.h"

namespace ped::views {

class FilterDialogWindow : public hostlib_qt::FilterDialogFrame {
 public:
  FilterDialogWindow(core::TfrmFiltroLiquidaItem& dialog, const hostlib::HostServices& host, QWidget* parent);

  // Shows it modally: FormActivate when it shows, FormClose when it hides.
  void runModal();

 private:
  core::TfrmFiltroLiquidaItem& dialog_;
  hostlib::Dialogs& dialogs_;
};

}  // namespace ped::views
