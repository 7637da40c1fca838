#include "hostlib_qt/list_window.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "hostlib_qt/qt_conversions.h"

namespace ped::hostlib_qt {
namespace {

// Each row as tall as its longest wrapped text, in whatever column. The
// view's own sizing looks only at the columns in view, so a text scrolled
// into view later was cut.
void fitRows(QTableWidget* table) {
  const QFontMetrics metrics(table->font());
  const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
  for (int r = 0; r < table->rowCount(); ++r) {
    int height = metrics.height();
    for (int c = 0; c < table->columnCount(); ++c)
      if (const QTableWidgetItem* item = table->item(r, c)) {
        const int width = std::max(1, table->columnWidth(c) - 1 - 2 * margin);  // the grid line and margins
        height = std::max(
            height, metrics.boundingRect(QRect(0, 0, width, 0), Qt::TextWordWrap, item->text()).height());
      }
    table->setRowHeight(r, height + 2 * margin);
  }
}

// A read-only table of texts whose rows fit their wrapped text.
QTableWidget* textTable(QWidget* parent, const char* name, const std::vector<std::string>& columns) {
  auto* table = new QTableWidget(0, static_cast<int>(columns.size()), parent);
  table->setObjectName(QLatin1String(name));
  QStringList headings;
  for (const std::string& column : columns) headings << q(column);
  table->setHorizontalHeaderLabels(headings);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setWordWrap(true);
  table->verticalHeader()->hide();
  // Columns take what their texts need, up to a limit (fill), and the last
  // one (the message) the rest; the operator may widen them.
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table->horizontalHeader()->setStretchLastSection(true);
  // Rows fit their wrapped text again whenever the columns settle.
  // Once per round of the event loop, however many columns moved.
  QObject::connect(table->horizontalHeader(), &QHeaderView::sectionResized, table, [table] {
    if (table->property("fitPending").toBool()) return;
    table->setProperty("fitPending", true);
    QTimer::singleShot(0, table, [table] {
      table->setProperty("fitPending", false);
      fitRows(table);
    });
  });
  return table;
}

void fill(QTableWidget* table, const std::vector<std::vector<std::string>>& rows) {
  table->setRowCount(static_cast<int>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size() && static_cast<int>(c) < table->columnCount(); ++c)
      table->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(q(rows[r][c])));
  // A long text wraps within a column of at most this width rather than
  // push the others out of view.
  constexpr int kWidest = 160;
  table->resizeColumnsToContents();
  for (int c = 0; c + 1 < table->columnCount(); ++c)
    table->setColumnWidth(c, std::min(table->columnWidth(c), kWidest));
  fitRows(table);
}

}  // namespace

ListWindowDialog::ListWindowDialog(QWidget* parent, const hostlib::ListWindow& list)
    : QDialog(parent),
      table_(textTable(this, "grdLista", list.columns)),
      summary_(new QLabel(q(list.summary), this)) {
  setObjectName(QStringLiteral("janLista"));
  setWindowTitle(q(list.title));
  setModal(true);
  fill(table_, list.rows);

  summary_->setObjectName(QStringLiteral("lblResumo"));
  summary_->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 2);
  layout->addWidget(summary_);
  if (!list.detailColumns.empty()) {
    details_ = list.details;
    auto* heading = new QLabel(q(list.detailTitle), this);
    heading->setObjectName(QStringLiteral("lblDetalhe"));
    detail_ = textTable(this, "grdDetalhe", list.detailColumns);
    heading->setBuddy(detail_);
    layout->addWidget(heading);
    layout->addWidget(detail_, 1);
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) { showDetailsOf(row); });
    if (table_->rowCount() > 0) table_->setCurrentCell(0, 0);
    fitOnScreen(QSize(1440, 560));  // every column of a history line in view, where the screen has room
  } else {
    fitOnScreen(QSize(720, 320));
  }
  layout->addWidget(buttons);
  table_->setFocus();
}

void ListWindowDialog::fitOnScreen(QSize wanted) {
  const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (screen) wanted = wanted.boundedTo(screen->availableGeometry().size() * 0.95);
  resize(wanted);
}

void ListWindowDialog::showDetailsOf(int row) {
  fill(detail_, row >= 0 && static_cast<std::size_t>(row) < details_.size()
                    ? details_[row]
                    : std::vector<std::vector<std::string>>{});
}

void ListWindowDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  fitRows(table_);
  if (detail_) fitRows(detail_);
}

void ListWindowDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  fitRows(table_);
  if (detail_) fitRows(detail_);
}

}  // namespace ped::hostlib_qt
