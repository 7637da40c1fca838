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
class QToolButton;
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
  // The navigator panel (dbnPadrao): moves through dtsPadrao's rows; a
  // derived screen may add its own widgets to its layout.
  QWidget* navigator() const { return navigator_; }

  // A toolbar button of the derived screen, placed after the base's.
  QToolButton* addToolButton(hostlib::Control& button);

  // How a toolbar button's click (and its menu entry's) reaches the screen.
  std::function<void(hostlib::Control& button)> onButtonClicked;
  // How the frame runs an operator's action on the screen's data (the
  // navigator's moves); by default as one event (hostlib::runEvent), its
  // failures shown in the dialogs given to setDialogs.
  std::function<void(const std::function<void()>& action)> runAction;

 private:
  void run(const std::function<void()>& action);
  hostlib::TfrmPadraoGrid& state_;
  QWidget* content_;
  QWidget* navigator_;
  QToolBar* toolBar_;
  QAction* spacer_;
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
  // A derived dialog whose own handlers save and load (and call the base's
  // SaveOptions / LoadOptions themselves) takes the menu's commands here.
  std::function<void()> saveOptions;
  std::function<void()> loadOptions;

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
