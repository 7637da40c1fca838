#pragma once
// The Qt frames of the host's base windows, bound to their state
// (hostlib/base_screens.h): the grid screen's toolbar, maintenance menu and
// code label, and the filter dialog's group box, buttons and options menu.
// Derived screens put their own widgets in contentArea().

#include <QDialog>
#include <QMainWindow>

#include "hostlib/base_screens.h"

class QGroupBox;
class QMenu;
class QToolBar;
class QPushButton;

namespace ped::hostlib_qt {

class GridScreenFrame : public QMainWindow {
 public:
  GridScreenFrame(hostlib::TfrmPadraoGrid& state, QWidget* parent = nullptr);
  QWidget* contentArea() const { return content_; }
  QToolBar* toolBar() const { return toolBar_; }
  QMenu* maintenanceMenu() const { return menu_; }

 private:
  QWidget* content_;
  QToolBar* toolBar_;
  QMenu* menu_;
};

class FilterDialogFrame : public QDialog {
 public:
  FilterDialogFrame(hostlib::TfrmFiltroPadrao& state, QWidget* parent = nullptr);
  QGroupBox* contentArea() const { return group_; }
  QMenu* optionsMenu() const { return options_; }

 private:
  QGroupBox* group_;
  QMenu* options_;
};

}  // namespace ped::hostlib_qt
