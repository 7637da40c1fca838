#pragma once
// The real host with the screen's module, offscreen, logged in on the demo
// server, and the steps the windows' tests take in it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QStringList>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>

#include "hostapp/host_runtime.h"
#include "netclient/net_connection.h"
#include "support/demo_server.h"

// Texts in the failure messages.
inline std::ostream& operator<<(std::ostream& out, const QString& text) { return out << text.toStdString(); }

// Lets events run until `condition` holds, for at most five seconds; a
// failure of the test when it never does. (QtTest's QTRY_ macros only
// return quietly outside a QtTest run.)
#define EXPECT_SOON(condition) \
  EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 5000)) << #condition

#define ASSERT_SOON(condition) \
  ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 5000)) << #condition

namespace ped::views::testing {

// "Liquidação Manual" opened by an operator of branch 0001; `bound` ties the
// screen to that branch.
class DemoHost {
 public:
  // On `demo`, the shared demo server unless a test that settles orders
  // brings its own.
  explicit DemoHost(bool bound, const ped::testing::DemoServer& demo = ped::testing::demoServer()) {
    netclient::TNetConnection net;
    net.Port = demo.port;
    net.Open();
    EXPECT_TRUE(net.Login("GERENTE", "gerente123").ok);
    hostlib::HostContext context{.operador = "GERENTE",
                                 .filiProc = "0001",
                                 .nomeFiliProc = "Matriz São Paulo",
                                 .moduFili = bound,
                                 .webURL = "127.0.0.1",
                                 .webPort = demo.port,
                                 .sessionToken = net.token()};
    runtime = std::make_unique<hostapp::HostRuntime>(
        context, std::make_unique<hostlib::SqlDatabase>(demo.database),
        hostlib::OptionsStore(std::filesystem::temp_directory_path() / "ped-views-tests-opcoes"),
        PED_MODULES_BUILD_DIR);
    runtime->window().show();
    runtime->window().resize(980, 680);
  }
  void open() { runtime->openScreen("PED00800"); }
  // The screen's window, once open.
  QWidget* screen() const {
    auto* mdi = runtime->window().findChild<QMdiArea*>("mdiTelas");
    return mdi && !mdi->subWindowList().empty() ? mdi->subWindowList().front()->widget() : nullptr;
  }

  std::unique_ptr<hostapp::HostRuntime> runtime;
};

// Runs `inside` on the modal window that opens next; a check that failed
// inside leaves the window closed, not the test waiting on it.
inline void onNextModal(std::function<void(QWidget*)> inside) {
  QTimer::singleShot(50, [inside] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      onNextModal(inside);
      return;
    }
    inside(modal);
    if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible()) dialog->reject();
  });
}

// Runs `inside` on the message box that opens next.
inline void onNextMessage(std::function<void(QMessageBox*)> inside) {
  QTimer::singleShot(50, [inside] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
      inside(box);
    else
      onNextMessage(inside);
  });
}

template <class W>
W* part(const QWidget* window, const char* name) {
  W* w = window->findChild<W*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

// The column of `grid` titled `title`; a failure when there is none.
inline int columnTitled(const QTableView* grid, const QString& title) {
  for (int c = 0; c < grid->model()->columnCount(); ++c)
    if (grid->model()->headerData(c, Qt::Horizontal).toString() == title) return c;
  ADD_FAILURE() << "no column " << title;
  return 0;
}

// A cell's text as the grid shows it.
inline QString cell(const QTableView* grid, int row, const QString& title) {
  return grid->model()->index(row, columnTitled(grid, title)).data().toString();
}

// A quantity as the grid writes it, with a decimal comma.
inline double quantity(const QString& text) {
  return QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

// The object name of the widget with the keyboard focus.
inline QString focusName() {
  QWidget* w = QApplication::focusWidget();
  return w ? w->objectName() : QString();
}

// The object name of the widget that has the focus inside `widget`'s window,
// active or not (offscreen, no window is activated again when a modal one
// closes).
inline QString focusInWindowOf(const QWidget* widget) {
  QWidget* w = widget->window()->focusWidget();
  return w ? w->objectName() : QString();
}

// Confirms the filter dialog that opens next with Enter, counting it.
inline void confirmNextFilter(int* filters) {
  onNextModal([filters](QWidget* d) {
    ++*filters;
    EXPECT_EQ(d->objectName(), QStringLiteral("frmFiltroLiquidaItem"));
    EXPECT_SOON(QApplication::focusWidget() && d->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  });
}

// Chooses row `row` (from 0) in the search window that opens next, after
// `look` has seen its rows.
inline void chooseInNextSearch(int row, QStringList* columns = nullptr,
                               std::function<void(const QTableView*)> look = {}) {
  onNextModal([row, columns, look](QWidget* search) mutable {
    EXPECT_EQ(search->objectName(), QStringLiteral("frmPesquisa"));
    auto* table = part<QTableView>(search, "grdPesquisa");
    if (look) look(table);
    QAbstractItemModel* model = table->model();
    int validity = -1;
    for (int c = 0; c < model->columnCount(); ++c) {
      const QString title = model->headerData(c, Qt::Horizontal).toString();
      if (columns) columns->append(title);
      if (title == QStringLiteral("Validade")) validity = c;
    }
    // A stock position on an expired lot is passed over: its row's post would refuse it.
    auto expired = [&](int r) {
      const QDate valid = QDate::fromString(model->index(r, validity).data().toString(), "dd/MM/yyyy");
      return validity >= 0 && valid.isValid() && valid < QDate::currentDate();
    };
    while (row + 1 < model->rowCount() && expired(row)) ++row;
    table->selectRow(row);
    static_cast<QDialog*>(search)->accept();
  });
}

}  // namespace ped::views::testing
