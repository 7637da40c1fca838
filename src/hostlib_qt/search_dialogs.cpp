#include "hostlib_qt/search_dialogs.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace ped::hostlib_qt {
namespace {

// Adds a check box to the first column of a pick list; the dialog owns the
// set of checked rows.
class CheckColumnProxy : public QSortFilterProxyModel {
 public:
  explicit CheckColumnProxy(const std::set<int>& checked) : checked_(checked) {}
  QVariant data(const QModelIndex& index, int role) const override {
    if (role == Qt::CheckStateRole && index.column() == 0) {
      // Rows are checked by their data-set row, under the filter below.
      const auto* filter = static_cast<const QSortFilterProxyModel*>(sourceModel());
      return checked_.count(filter->mapToSource(mapToSource(index)).row()) ? Qt::Checked : Qt::Unchecked;
    }
    return QSortFilterProxyModel::data(index, role);
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    Qt::ItemFlags f = QSortFilterProxyModel::flags(index);
    if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
  }

 private:
  const std::set<int>& checked_;
};

}  // namespace

RowsDialog::RowsDialog(QWidget* parent, const engine::DataSet& rows, const QString& title, bool checkable)
    : QDialog(parent), model_(rows) {
  // "Produto|Produtos com pedidos na filial 0001": the window's title, then a
  // line that says what the list holds.
  const qsizetype bar = title.indexOf(QLatin1Char('|'));
  setWindowTitle(bar < 0 ? title : title.left(bar));
  setModal(true);
  proxy_.setSourceModel(&model_);
  proxy_.setFilterCaseSensitivity(Qt::CaseInsensitive);
  proxy_.setFilterKeyColumn(-1);

  auto* layout = new QVBoxLayout(this);
  auto* hint = new QLabel(QStringLiteral("Digite para filtrar:"), this);
  filter_ = new QLineEdit(this);
  filter_->setObjectName(QStringLiteral("edtFiltro"));
  hint->setBuddy(filter_);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("grdPesquisa"));
  table_->setModel(&proxy_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  const int charWidth = fontMetrics().averageCharWidth();
  int total = 0;
  for (int c = 0; c < model_.columnCount(); ++c) {
    int w = std::max(6, model_.fieldAt(c).displayWidth()) * charWidth + 16;
    if (checkable && c == 0) w += 28;  // room for the check box
    // Codes are digits, wider than the average letter: a column is never
    // narrower than its title or the rows it shows.
    w = std::max({w, table_->horizontalHeader()->sectionSizeHint(c),
                  static_cast<const QAbstractItemView*>(table_)->sizeHintForColumn(c)});
    table_->setColumnWidth(c, w);
    total += w;
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("Escolher"), QDialogButtonBox::AcceptRole)->setObjectName("sbtEscolher");
  buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole)->setObjectName("sbtCancelar");
  if (bar >= 0 && bar + 1 < title.size()) {
    auto* subtitle = new QLabel(title.mid(bar + 1), this);
    subtitle->setObjectName(QStringLiteral("lblSubtitulo"));
    subtitle->setStyleSheet(QStringLiteral("font-weight:bold;"));
    layout->addWidget(subtitle);
  }
  layout->addWidget(hint);
  layout->addWidget(filter_);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  resize(std::min(900, std::max(420, total + 40)), 420);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(table_, &QTableView::doubleClicked, this, [this] { accept(); });
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& t) {
    proxy_.setFilterFixedString(t);
    if (proxy_.rowCount() > 0) table_->selectRow(0);
  });
  filter_->installEventFilter(this);
  table_->installEventFilter(this);
  if (proxy_.rowCount() > 0) table_->selectRow(0);
  filter_->setFocus();
}

std::optional<int> RowsDialog::currentSourceRow() const {
  QModelIndex current = table_->currentIndex();
  if (!current.isValid()) return std::nullopt;
  // A pick list shows its check boxes through one more proxy above the filter.
  if (auto* outer = dynamic_cast<QSortFilterProxyModel*>(table_->model()); outer && outer != &proxy_)
    current = outer->mapToSource(current);
  return proxy_.mapToSource(current).row();
}

bool RowsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        if (watched == filter_) {
          // The arrows move through the rows while the filter keeps the typing.
          QKeyEvent copy(key->type(), key->key(), key->modifiers());
          QCoreApplication::sendEvent(table_, &copy);
          return true;
        }
        break;
      case Qt::Key_Space:
        if (watched == table_ || (watched == filter_ && filter_->text().isEmpty())) {
          toggleCurrent();
          return true;
        }
        break;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

SearchDialog::SearchDialog(QWidget* parent, const engine::DataSet& rows, const QString& title)
    : RowsDialog(parent, rows, title, false) {
  setObjectName(QStringLiteral("frmPesquisa"));
}

void SearchDialog::accept() {
  const std::optional<int> row = currentSourceRow();
  if (!row) return;  // nothing to choose: the dialog stays
  chosen_ = static_cast<std::size_t>(*row);
  QDialog::accept();
}

PickListDialog::PickListDialog(QWidget* parent, const engine::DataSet& rows, std::string_view keyField,
                               const QString& title, const std::vector<std::string>& checked)
    : RowsDialog(parent, rows, title, true) {
  setObjectName(QStringLiteral("frmPesqLista"));
  const engine::Field* key = rows.findField(keyField);
  for (std::size_t r = 0; r < rows.recordCount(); ++r) {
    std::string k;
    if (key) {
      const engine::CellView cell = rows.cellAt(r, key->index());
      k = cellText(*key, cell).toStdString();
    }
    if (std::find(checked.begin(), checked.end(), k) != checked.end()) checked_.insert(static_cast<int>(r));
    keys_.push_back(std::move(k));
  }
  // The check boxes live in a proxy of their own above the filter.
  auto* checks = new CheckColumnProxy(checked_);
  checks->setParent(this);
  checks->setSourceModel(&proxy_);
  table()->setModel(checks);
  connect(table(), &QTableView::clicked, this, [this, checks](const QModelIndex& index) {
    if (index.column() != 0) return;
    const int source = proxy_.mapToSource(checks->mapToSource(index)).row();
    setChecked(source, !isChecked(source));
  });
  if (checks->rowCount() > 0) table()->selectRow(0);
}

void PickListDialog::setChecked(int sourceRow, bool on) {
  if (on)
    checked_.insert(sourceRow);
  else
    checked_.erase(sourceRow);
  table()->viewport()->update();
}

void PickListDialog::toggleCurrent() {
  if (const std::optional<int> source = currentSourceRow()) setChecked(*source, !isChecked(*source));
}

std::vector<std::string> PickListDialog::checkedKeys() const {
  std::vector<std::string> out;
  for (int r : checked_)
    if (!keys_[static_cast<std::size_t>(r)].empty()) out.push_back(keys_[static_cast<std::size_t>(r)]);
  return out;
}

}  // namespace ped::hostlib_qt
