#pragma once
// The filter dialog drawn with Qt, on the host's base filter dialog. Every
// widget carries its component's name, shows the core's state and forwards
// the operator's clicks, typing, keys and focus moves to the core.

#include <functional>
#include <map>

#include "core/filter/Cli_ped00801.h"
#include "hostlib_qt/base_frames.h"

class QGridLayout;

namespace ped::views {

class FilterDialogWindow : public hostlib_qt::FilterDialogFrame {
 public:
  FilterDialogWindow(core::TfrmFiltroLiquidaItem& dialog, const hostlib::HostServices& host, QWidget* parent);

  // Shows it modally: FormActivate when it shows, FormClose when it hides.
  void runModal();
  // Cancels through the dialog's own cancel, which closes it.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* groupBox(hostlib::Control& group, QGridLayout* layout, int row, int column, int columnSpan = 1);
  QWidget* radioButton(hostlib::Control& radio, QWidget* parent);
  QWidget* checkBox(hostlib::Control& box, QWidget* parent);
  QWidget* searchButton(hostlib::Control& button, QWidget* parent);
  QWidget* rangeEdit(hostlib::Control& edit, QWidget* parent);
  QWidget* dateEdit(hostlib::TDateEditPlus& date, QWidget* parent);
  QWidget* label(hostlib::Control& text, QWidget* parent);
  void buildOrderNumbers(QGridLayout* layout);
  void buildListGroup(hostlib::Control& group, hostlib::Control& all, hostlib::Control& list,
                      hostlib::Control& search, QGridLayout* layout, int row, int column);
  void buildDateGroup(hostlib::Control& group, hostlib::Control& fromLabel, hostlib::TDateEditPlus& from,
                      hostlib::Control& toLabel, hostlib::TDateEditPlus& to, QGridLayout* layout, int row,
                      int column);
  void buildBoxGroup(hostlib::Control& group, QGridLayout* layout, int row, int column, int columnSpan,
                     int perRow);
  // Runs a core handler as one event, then shows the whole state again: the
  // toolkit may have toggled a button the core left as it was.
  void run(const std::function<void()>& handler);
  void showAll();
  void leave(hostlib::Control& control);

  core::TfrmFiltroLiquidaItem& dialog_;
  hostlib::Dialogs& dialogs_;
  // The widgets that take the focus (date fields through their text edit).
  std::map<QObject*, hostlib::Control*> controlOf_;
  bool running_ = false;
  hostlib::Control* leaving_ = nullptr;  // the field whose exit is running
};

}  // namespace ped::views
