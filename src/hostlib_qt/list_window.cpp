#include "hostlib_qt/list_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "hostlib_qt/qt_conversions.h"

namespace ped::hostlib_qt {

ListWindowDialog::ListWindowDialog(QWidget* parent, const hostlib::ListWindow& list)
    : QDialog(parent),
      table_(
          new QTableWidget(static_cast<int>(list.rows.size()), static_cast<int>(list.columns.size()), this)),
      summary_(new QLabel(q(list.summary), this)) {
  setObjectName(QStringLiteral("janLista"));
  setWindowTitle(q(list.title));
  setModal(true);

  table_->setObjectName(QStringLiteral("grdLista"));
  QStringList headings;
  for (const std::string& column : list.columns) headings << q(column);
  table_->setHorizontalHeaderLabels(headings);
  for (std::size_t r = 0; r < list.rows.size(); ++r)
    for (std::size_t c = 0; c < list.rows[r].size() && c < list.columns.size(); ++c)
      table_->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(q(list.rows[r][c])));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setWordWrap(true);
  table_->verticalHeader()->hide();
  // Short codes take what they need; the last column (the message) the rest.
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setStretchLastSection(true);
  // Rows fit their wrapped text again whenever the columns settle.
  connect(table_->horizontalHeader(), &QHeaderView::sectionResized, table_,
          &QTableView::resizeRowsToContents);

  summary_->setObjectName(QStringLiteral("lblResumo"));
  summary_->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(summary_);
  layout->addWidget(buttons);
  resize(720, 320);
}

void ListWindowDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  table_->resizeRowsToContents();
}

void ListWindowDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  table_->resizeRowsToContents();
}

}  // namespace ped::hostlib_qt
