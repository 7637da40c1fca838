#pragma once
// The host services drawn with Qt: error boxes, Sim/Não questions, the busy
// indicator, the search, the pick list and the list window.

#include <QPointer>
#include <QWidget>

#include "hostlib/busy.h"
#include "hostlib/dialogs.h"
#include "hostlib/searches.h"

class QLabel;

namespace ped::hostlib_qt {

class QtHost : public hostlib::Dialogs, public hostlib::BusyIndicator, public hostlib::Searches {
 public:
  // Boxes and windows open over the modal window in use, else over `parent`
  // (the main window).
  explicit QtHost(QWidget* parent) : parent_(parent) {}
  ~QtHost() override;

  void showError(std::string_view text) override;
  bool askYesNo(std::string_view text) override;
  // Shows <help dir>/<file name without extension>/<context>.html; the help
  // dir is $PED_HELP_DIR, else share/ped00800/help beside the executable's
  // folder, else the source tree's help folder. A missing topic is an error box.
  void showHelp(std::string_view helpFile, int context) override;
  void showList(const hostlib::ListWindow& list) override;
  void showBusy(hostlib::BusyKind kind) override;
  void hideBusy() override;
  std::optional<std::size_t> chooseRow(const engine::DataSet& rows, std::string_view title) override;
  std::optional<std::vector<std::string>> chooseKeys(const engine::DataSet& rows, std::string_view keyField,
                                                     std::string_view title,
                                                     const std::vector<std::string>& checked) override;

 private:
  // The window a box or a search opens over.
  QWidget* owner() const;
  QPointer<QWidget> parent_;
  QLabel* busy_ = nullptr;
};

}  // namespace ped::hostlib_qt
