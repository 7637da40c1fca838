#pragma once
// The date field drawn with Qt: a dd/mm/yyyy masked edit bound to a
// TDateEditPlus, blue while it holds a valid date, with a button that opens a
// month calendar whose weekdays are named in Portuguese.

#include <QFrame>
#include <QWidget>

#include "engine/date_time.h"
#include "hostlib/date_edit.h"

class QLabel;
class QTableWidget;
class QToolButton;

namespace ped::hostlib_qt {

class MaskedLineEdit;

class CalendarPopup : public QFrame {
 public:
  explicit CalendarPopup(QWidget* parent);
  // Shows the month of `day` with `day` selected; for 0 (no date), the
  // month of `today`.
  void showMonth(double day, double today);
  QTableWidget* grid() const { return grid_; }
  QLabel* title() const { return title_; }
  std::function<void(double)> onChosen;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fill();
  void choose(int row, int column);
  QToolButton* priorMonth_ = nullptr;
  QToolButton* nextMonth_ = nullptr;
  int year_ = 2000, month_ = 1, selected_ = 0;
  QLabel* title_;
  QTableWidget* grid_;
};

class DateEditWidget : public QWidget {
 public:
  DateEditWidget(hostlib::TDateEditPlus& state, QWidget* parent = nullptr);
  // Where the calendar of an empty field finds "today" (by default the
  // system's clock). REQUIRES: `clock` outlives the widget.
  void setClock(const engine::Clock& clock) { clock_ = &clock; }
  MaskedLineEdit* edit() const { return edit_; }
  QToolButton* calendarButton() const { return button_; }
  CalendarPopup* popup() const { return popup_; }
  // Takes the focus into the field, then shows the calendar once the field
  // left before has been checked.
  void openCalendar();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showState();
  void showCalendar();
  hostlib::TDateEditPlus& state_;
  const engine::Clock* clock_ = nullptr;
  MaskedLineEdit* edit_;
  QToolButton* button_;
  CalendarPopup* popup_;
};

}  // namespace ped::hostlib_qt
