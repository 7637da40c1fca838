#pragma once
// The Qt frames of the host's base windows, bound to their state
// (hostlib/base_screens.h): the grid screen's toolbar, maintenance menu and
// code label, and the filter dialog's group box, buttons and options menu.
// Derived screens put their own widgets in contentArea().

#include <QDialog>
#include <QMainWindow>
#include <functional>
#include <string>

#include "hostlib/base_screens.h"
#include "hostlib/dialogs.h"

class QGroupBox;
class QMenu;
class QToolBar;
class QPushButton;

namespace ped::hostlib_qt {

class GridScreenFrame : public QMainWindow {
 public:
  GridScreenFrame(hostlib::TfrmPadraoGrid& state, QWidget* parent = nullptr);
  // Where F1 shows the screen's help topic.
  void setDialogs(hostlib::Dialogs* dialogs) { dialogs_ = dialogs; }
  QWidget* contentArea() const { return content_; }
  QToolBar* toolBar() const { return toolBar_; }
  QMenu* maintenanceMenu() const { return menu_; }

 private:
  QWidget* content_;
  QToolBar* toolBar_;
  QMenu* menu_;
  hostlib::Dialogs* dialogs_ = nullptr;
};

class FilterDialogFrame : public QDialog {
 public:
  FilterDialogFrame(hostlib::TfrmFiltroPadrao& state, QWidget* parent = nullptr);
  QGroupBox* contentArea() const { return group_; }
  QMenu* optionsMenu() const { return options_; }

  // Where the Opções menu saves and loads the options list, for which
  // operator, and where it reports a failure and shows help (Ajuda, F1).
  void setOptionsStore(const hostlib::OptionsStore* store, std::string operatorCode,
                       hostlib::Dialogs* dialogs);
  // The derived dialog writes its controls into the options list before a
  // save, and reads them back after a load.
  std::function<void()> onBeforeSaveOptions;
  std::function<void()> onOptionsLoaded;

 private:
  void showHelp();
  hostlib::TfrmFiltroPadrao& state_;
  QGroupBox* group_;
  QMenu* options_;
  const hostlib::OptionsStore* store_ = nullptr;
  std::string operator_;
  hostlib::Dialogs* dialogs_ = nullptr;
};

}  // namespace ped::hostlib_qt
