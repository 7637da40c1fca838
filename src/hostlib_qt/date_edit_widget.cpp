#include "hostlib_qt/date_edit_widget.h"

#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/date_time.h"
#include "hostlib_qt/masked_line_edit.h"
#include "hostlib_qt/qt_conversions.h"

namespace ped::hostlib_qt {
namespace {

namespace date_time = engine::date_time;

const char* const kMonths[] = {"Janeiro", "Fevereiro", "Março",    "Abril",   "Maio",     "Junho",
                               "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};

}  // namespace

CalendarPopup::CalendarPopup(QWidget* parent) : QFrame(parent, Qt::Popup) {
  setObjectName(QStringLiteral("calData"));
  setFrameShape(QFrame::Box);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout();
  auto* prior = new QToolButton(this);
  prior->setObjectName(QStringLiteral("sbtMesAnterior"));
  prior->setText(QStringLiteral("<"));
  auto* next = new QToolButton(this);
  next->setObjectName(QStringLiteral("sbtMesSeguinte"));
  next->setText(QStringLiteral(">"));
  title_ = new QLabel(this);
  title_->setAlignment(Qt::AlignCenter);
  top->addWidget(prior);
  top->addWidget(title_, 1);
  top->addWidget(next);
  layout->addLayout(top);
  grid_ = new QTableWidget(6, 7, this);
  QStringList names;
  for (std::string_view n : hostlib::TDateEditPlus::kWeekdays)
    names << QString::fromUtf8(n.data(), static_cast<qsizetype>(n.size()));
  grid_->setHorizontalHeaderLabels(names);
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  grid_->setMinimumSize(460, 200);
  layout->addWidget(grid_);
  connect(prior, &QToolButton::clicked, this, [this] {
    if (--month_ == 0) month_ = 12, --year_;
    selected_ = 0;
    fill();
  });
  connect(next, &QToolButton::clicked, this, [this] {
    if (++month_ == 13) month_ = 1, ++year_;
    selected_ = 0;
    fill();
  });
  connect(prior, &QToolButton::clicked, this, [this] { grid_->setFocus(); });
  connect(next, &QToolButton::clicked, this, [this] { grid_->setFocus(); });
  connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int column) { choose(row, column); });
  // Keyboard: arrows move through the days (the table does that), Page Up /
  // Page Down change the month, Enter chooses, Esc closes the pop-up.
  grid_->installEventFilter(this);
  priorMonth_ = prior;
  nextMonth_ = next;
}

bool CalendarPopup::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        choose(grid_->currentRow(), grid_->currentColumn());
        return true;
      case Qt::Key_PageUp:
        priorMonth_->click();
        return true;
      case Qt::Key_PageDown:
        nextMonth_->click();
        return true;
      default:
        break;
    }
  }
  return QFrame::eventFilter(watched, event);
}

void CalendarPopup::choose(int row, int column) {
  QTableWidgetItem* item = grid_->item(row, column);
  if (!item || item->text().isEmpty()) return;
  const double day = date_time::fromCivil({year_, month_, item->text().toInt()});
  hide();
  if (onChosen) onChosen(day);
}

void CalendarPopup::showMonth(double day, double today) {
  if (day == date_time::kNoDate) {
    const auto c = date_time::toCivil(today);
    year_ = c.year;
    month_ = c.month;
    selected_ = 0;
  } else {
    const auto c = date_time::toCivil(day);
    year_ = c.year;
    month_ = c.month;
    selected_ = c.day;
  }
  fill();
}

void CalendarPopup::fill() {
  title_->setText(QStringLiteral("%1 de %2").arg(QString::fromUtf8(kMonths[month_ - 1])).arg(year_));
  grid_->clearContents();
  const QDate first(year_, month_, 1);
  const int lead = first.dayOfWeek() % 7;  // Sunday first
  for (int d = 1; d <= first.daysInMonth(); ++d) {
    const int cell = lead + d - 1;
    auto* item = new QTableWidgetItem(QString::number(d));
    item->setTextAlignment(Qt::AlignCenter);
    grid_->setItem(cell / 7, cell % 7, item);
    if (d == selected_ || (selected_ == 0 && d == 1)) grid_->setCurrentCell(cell / 7, cell % 7);
  }
}

DateEditWidget::DateEditWidget(hostlib::TDateEditPlus& state, QWidget* parent)
    : QWidget(parent), state_(state) {
  setObjectName(QString::fromStdString(state.name()));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  edit_ = new MaskedLineEdit(this);
  edit_->setObjectName(QString::fromStdString(state.name()) + QStringLiteral("Texto"));
  edit_->setEditMask(hostlib::TDateEditPlus::kMask);
  edit_->setMaximumWidth(edit_->fontMetrics().averageCharWidth() * 14 + 12);
  button_ = new QToolButton(this);
  button_->setObjectName(QString::fromStdString(state.name()) + QStringLiteral("Calendario"));
  button_->setText(QStringLiteral("..."));
  layout->addWidget(edit_);
  layout->addWidget(button_);
  popup_ = new CalendarPopup(this);
  popup_->onChosen = [this](double day) { state_.SetDate(day); };
  connect(button_, &QToolButton::clicked, this, [this] { openCalendar(); });
  edit_->installEventFilter(this);
  connect(edit_, &QLineEdit::textEdited, this,
          [this](const QString& t) { state_.setTyped(t.toStdString()); });
  QPointer<DateEditWidget> guard(this);
  state_.listen([guard](hostlib::Control&) {
    if (guard) guard->showState();
  });
  showState();
}

bool DateEditWidget::eventFilter(QObject* watched, QEvent* event) {
  // Alt+Down opens the calendar from the keyboard, as combo boxes do.
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier) {
      showCalendar();  // from inside the field: nothing is left
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void DateEditWidget::openCalendar() {
  // The field the operator was in is left first, and its check runs before
  // the calendar shows; when it refuses, the focus is back there and the
  // calendar stays closed.
  edit_->setFocus(Qt::OtherFocusReason);
  QPointer<DateEditWidget> self(this);
  QTimer::singleShot(0, this, [self] {
    if (self && self->edit_->hasFocus()) self->showCalendar();
  });
}

void DateEditWidget::showCalendar() {
  static const engine::SystemClock systemClock;
  popup_->showMonth(state_.GetDate(), (clock_ ? *clock_ : systemClock).today());
  popup_->move(mapToGlobal(QPoint(0, height())));
  popup_->show();
  popup_->grid()->setFocus();
}

void DateEditWidget::showState() {
  setEnabled(state_.enabled());
  // Typing leaves the text as it is (the cursor stays); SetDate replaces it.
  const QString shown = QString::fromStdString(edit_->editMask().format(state_.text()));
  if (edit_->text() != shown) edit_->setText(shown);
  QPalette p = edit_->palette();
  p.setColor(QPalette::Text, rgbColour(state_.fontColor()));
  edit_->setPalette(p);
}

}  // namespace ped::hostlib_qt
