// The Qt host's windows on the offscreen platform, driven with the keyboard
// as an operator would. Each test saves a picture of its window under
// screens/ in the test's working folder.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include "engine/data_set.h"
#include "engine/date_time.h"
#include "hostlib/consiste.h"
#include "hostlib_qt/base_frames.h"
#include "hostlib_qt/control_binding.h"
#include "hostlib_qt/date_edit_widget.h"
#include "hostlib_qt/list_window.h"
#include "hostlib_qt/masked_line_edit.h"
#include "hostlib_qt/qt_host.h"
#include "hostlib_qt/search_dialogs.h"
#include "support/scripted_host.h"

namespace ped::hostlib_qt {
namespace {

void fillBranches(engine::DataSet& ds) {
  ds.addField({.name = "CDFILIAL", .size = 4, .label = "Código"});
  ds.addField({.name = "NMFILIAL", .size = 40, .label = "Filial", .displayWidth = 30});
  ds.addField({.name = "DTINCLUSAO", .type = engine::FieldType::DateTime, .label = "Inclusão"});
  ds.open();
  const char* rows[][2] = {{"0001", "Matriz São Paulo"}, {"0002", "Filial Norte"}, {"0003", "Filial Sul"}};
  for (auto& [code, name] : rows) {
    ds.append();
    ds.field(0).setString(code);
    ds.field(1).setString(name);
    ds.field(2).setDateTime(46000);
    ds.post();
  }
}

void savePicture(QWidget& w, const QString& name) {
  QDir().mkpath(QStringLiteral("screens"));
  w.grab().save(QStringLiteral("screens/") + name + QStringLiteral(".png"));
}

TEST(DataSetModel, PassesTheItemModelChecksAndShowsTheVisibleFields) {
  engine::DataSet ds("qryPesqFilial");
  fillBranches(ds);
  ds.field("DTINCLUSAO").setVisible(false);
  DataSetModel model(ds);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
  EXPECT_EQ(model.columnCount(), 2);  // hidden fields are not shown
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.columnOf("nmfilial"), 1);
  EXPECT_EQ(model.index(1, 1).data().toString(), QStringLiteral("Filial Norte"));
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Código"));
}

TEST(SearchDialog, TypingNarrowsTheRowsAndEnterChooses) {
  engine::DataSet ds("qryPesqFilial");
  fillBranches(ds);
  SearchDialog dialog(nullptr, ds, QStringLiteral("Filiais"));
  dialog.show();
  EXPECT_EQ(dialog.table()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Filial"));
  EXPECT_EQ(dialog.table()->model()->index(0, 2).data().toString(), QStringLiteral("09/12/2025"));
  QTest::keyClicks(dialog.filterEdit(), QStringLiteral("filial"));
  EXPECT_EQ(dialog.table()->model()->rowCount(), 2);
  QTest::keyClick(dialog.filterEdit(), Qt::Key_Down);
  savePicture(dialog, QStringLiteral("pesquisa"));
  QTest::keyClick(dialog.filterEdit(), Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_TRUE(dialog.chosen().has_value());
  EXPECT_EQ(*dialog.chosen(), 2u);  // "Filial Sul", third row of the data set
}

TEST(SearchDialog, EscLeavesWithoutChoosingAndNothingMatchingChoosesNothing) {
  engine::DataSet ds("qryPesqFilial");
  fillBranches(ds);
  SearchDialog dialog(nullptr, ds, QStringLiteral("Filiais"));
  dialog.show();
  QTest::keyClicks(dialog.filterEdit(), QStringLiteral("xyz"));
  QTest::keyClick(dialog.filterEdit(), Qt::Key_Return);  // nothing to choose: stays open
  EXPECT_TRUE(dialog.isVisible());
  QTest::keyClick(dialog.filterEdit(), Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.chosen().has_value());
}

TEST(PickListDialog, KeysComeInCheckedAndSpaceChecksTheCurrentRow) {
  engine::DataSet ds("qryPesqFilial");
  fillBranches(ds);
  PickListDialog dialog(nullptr, ds, "CDFILIAL", QStringLiteral("Filiais|Filiais com pedidos"),
                        {"0001", "0003"});
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Filiais"));
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblSubtitulo"))->text(),
            QStringLiteral("Filiais com pedidos"));
  EXPECT_EQ(dialog.checkedKeys(), (std::vector<std::string>{"0001", "0003"}));
  QTest::keyClick(dialog.filterEdit(), Qt::Key_Down);   // to "0002"
  QTest::keyClick(dialog.filterEdit(), Qt::Key_Space);  // empty filter: Space checks
  EXPECT_EQ(dialog.checkedKeys(), (std::vector<std::string>{"0001", "0002", "0003"}));
  QTest::keyClicks(dialog.filterEdit(), QStringLiteral("sul"));
  QTest::keyClick(dialog.table(), Qt::Key_Space);  // in the grid Space always checks
  EXPECT_EQ(dialog.checkedKeys(), (std::vector<std::string>{"0001", "0002"}));
  EXPECT_EQ(dialog.table()->model()->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
  dialog.filterEdit()->clear();
  savePicture(dialog, QStringLiteral("lista"));
  QTest::keyClick(dialog.filterEdit(), Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// Answers the next modal box by clicking the button with that text.
void clickInNextBox(const QString& buttonText, QString* seenText = nullptr) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    if (seenText) *seenText = box->text();
    savePicture(*box, box->objectName());
    for (QAbstractButton* b : box->buttons())
      if (b->text() == buttonText) b->click();
  });
}

TEST(QtHost, QuestionsAnswerSimOrNaoAndErrorsWaitForOk) {
  QWidget window;
  window.resize(640, 480);
  window.show();
  QtHost host(&window);
  QString seen;
  clickInNextBox(QStringLiteral("Não"), &seen);
  EXPECT_FALSE(host.askYesNo("Confirma exclusão?"));
  EXPECT_EQ(seen, QStringLiteral("Confirma exclusão?"));
  clickInNextBox(QStringLiteral("Sim"));
  EXPECT_TRUE(host.askYesNo("Confirma a liquidação?"));
  clickInNextBox(QStringLiteral("OK"), &seen);
  host.showError("Filial não cadastrada.");
  EXPECT_EQ(seen, QStringLiteral("Filial não cadastrada."));
}

TEST(QtHost, TheListWindowShowsEveryRowAndItsLineAndClosesWithOk) {
  QWidget window;
  window.resize(800, 600);
  window.show();
  QtHost host(&window);
  const std::string refusal = "Esta operação não pode ser realizada. Atualize os dados.";
  const hostlib::ListWindow list{"Pedidos não processados",
                                 {"Filial", "Pedido", "Situação", "Mensagem"},
                                 {{"0001", "0000001002", "2", refusal}, {"0001", "0000001005", "3", "Outro"}},
                                 "1 pedido(s) processado(s), 2 não processado(s)."};
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = dynamic_cast<ListWindowDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    seen = true;
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Pedidos não processados"));
    QTableWidget* table = dialog->table();
    ASSERT_EQ(table->rowCount(), 2);
    ASSERT_EQ(table->columnCount(), 4);
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), QStringLiteral("Situação"));
    EXPECT_EQ(table->item(0, 3)->text(), QString::fromStdString(refusal));
    EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("0000001005"));
    // The message column is wide enough to read the server's text whole.
    EXPECT_GE(table->columnWidth(3), table->fontMetrics().horizontalAdvance(table->item(0, 3)->text()));
    EXPECT_EQ(dialog->summary()->text(), QStringLiteral("1 pedido(s) processado(s), 2 não processado(s)."));
    savePicture(*dialog, dialog->objectName());
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
      if (b->text() == QStringLiteral("OK")) b->click();
  });
  host.showList(list);
  EXPECT_TRUE(seen);
}

TEST(QtHost, AWrappedTextShowsEveryLineWithinItsRow) {
  const std::string justification = "0004 - Mercadoria entregue sem baixa no sistema de estoque";
  const hostlib::ListWindow list{"Histórico", {"Justificativa", "Vínculo"}, {{justification, "-"}}, ""};
  ListWindowDialog dialog(nullptr, list);
  dialog.show();
  QTableWidget* table = dialog.table();
  // The cell's text area is the row less the cell's margins, above and below.
  const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
  const QRect lines =
      table->fontMetrics().boundingRect(QRect(0, 0, table->columnWidth(0) - 1 - 2 * margin, 0),
                                        Qt::TextWordWrap, QString::fromStdString(justification));
  ASSERT_GT(lines.height(), 2 * table->fontMetrics().height());
  EXPECT_GE(table->rowHeight(0), lines.height() + 2 * margin);
}

TEST(QtHost, TheBusyIndicatorShowsTheWaitCursorUntilTheLastGuardEnds) {
  QWidget window;
  window.resize(640, 480);
  window.show();
  QtHost host(&window);
  hostlib::Showavi showavi(host);
  {
    hostlib::BusyGuard outer(showavi, hostlib::BusyKind::Loading);
    hostlib::BusyGuard inner(showavi, hostlib::BusyKind::Loading);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    auto* label = window.findChild<QLabel*>(QStringLiteral("lblAguarde"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->text(), QStringLiteral("Aguarde..."));
    savePicture(*label, QStringLiteral("aguarde"));
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(window.findChild<QLabel*>(QStringLiteral("lblAguarde"))->isVisible());
}

TEST(MaskedLineEdit, TypingFillsOnlyThePositionsThatTakeIt) {
  MaskedLineEdit branch;
  branch.setObjectName(QStringLiteral("medCdFilial"));
  branch.setEditMask(">aaaa;0; ");
  branch.show();
  branch.setFocus();
  QTest::keyClicks(&branch, QStringLiteral("a-b1"));  // '-' is refused, letters upper-cased
  EXPECT_EQ(branch.text(), QStringLiteral("AB1 "));
  EXPECT_EQ(branch.value(), "AB1");
  QTest::keyClick(&branch, Qt::Key_Backspace);
  EXPECT_EQ(branch.value(), "AB");

  MaskedLineEdit product;
  product.setEditMask("99.99.999;0;_");
  product.show();
  product.setFocus();
  EXPECT_EQ(product.text(), QStringLiteral("__.__.___"));
  EXPECT_EQ(product.cursorPosition(), 0);  // on the first blank, not at the end
  QTest::keyClicks(&product, QStringLiteral("01x01001"));
  EXPECT_EQ(product.text(), QStringLiteral("01.01.001"));  // literals skipped, 'x' refused
  EXPECT_EQ(product.value(), "0101001");
  product.setValue("12");
  EXPECT_EQ(product.text(), QStringLiteral("12.__.___"));
  savePicture(product, QStringLiteral("mascara"));
}

TEST(BaseFrames, TheGridScreenShowsItsStateAndMenuEntriesClickTheirButtons) {
  hostlib::TfrmPadraoGrid state("frmLiquidaItem", "PED00800", 12200800);
  GridScreenFrame frame(state);
  frame.show();
  auto* confirm = frame.findChild<QToolButton*>(QStringLiteral("sbtConfirmar"));
  auto* confirmEntry = frame.findChild<QAction*>(QStringLiteral("mnuConfirmar"));
  ASSERT_NE(confirm, nullptr);
  ASSERT_NE(confirmEntry, nullptr);
  EXPECT_EQ(confirm->text(), QStringLiteral("Confirmar"));
  EXPECT_EQ(frame.findChild<QLabel*>(QStringLiteral("lblCodTela"))->text(), QStringLiteral("PED00800"));

  int clicks = 0;
  QObject::connect(confirm, &QToolButton::clicked, [&] { ++clicks; });
  confirmEntry->trigger();
  EXPECT_EQ(clicks, 1);

  state.enableAction(state.sbtConfirmar, false);
  EXPECT_FALSE(confirm->isEnabled());
  EXPECT_FALSE(confirmEntry->isEnabled());
  state.sbtImprimir.setVisible(false);
  EXPECT_FALSE(frame.findChild<QToolButton*>(QStringLiteral("sbtImprimir"))->isVisible());
  savePicture(frame, QStringLiteral("tela-base"));
}

TEST(BaseFrames, AFailingActionShowsItsMessageInsteadOfReachingQt) {
  hostlib::TfrmPadraoGrid state("frmLiquidaItem", "PED00800", 12200800);
  engine::DataSet rows("cdsPedido");
  rows.addField({.name = "NRPEDIDO"});
  rows.open();
  rows.append();
  rows.post();
  rows.events.afterScroll = [](engine::DataSet&) { throw std::runtime_error("linha ilegível"); };
  state.dtsPadrao = &rows;
  GridScreenFrame frame(state);
  hostlib::ScriptedHost host;
  frame.setDialogs(&host);
  QToolButton* first = nullptr;
  for (auto* b : frame.navigator()->findChildren<QToolButton*>())
    if (b->text() == QStringLiteral("|<")) first = b;
  ASSERT_NE(first, nullptr);
  first->click();
  EXPECT_EQ(host.take(), std::vector<std::string>{"erro: Erro inesperado: linha ilegível"});

  // An Abort was shown before it was thrown: nothing more.
  hostlib::TfrmFiltroPadrao dialogState("frmFiltroLiquidaItem", "PED00801", 12200801);
  FilterDialogFrame dialog(dialogState);
  dialog.setOptionsStore(nullptr, "ANA", &host);
  dialog.loadOptions = [] { throw hostlib::Abort(); };
  dialog.findChild<QAction*>(QStringLiteral("mnuCarregarOpcoes"))->trigger();
  EXPECT_TRUE(host.take().empty());
}

TEST(BaseFrames, TheFilterDialogHasItsGroupButtonsAndOptionsMenu) {
  hostlib::TfrmFiltroPadrao state("frmFiltroLiquidaItem", "PED00801", 12200801);
  state.grbFiltroPadrao.setCaption("Filtro");
  FilterDialogFrame dialog(state);
  dialog.show();
  EXPECT_EQ(dialog.contentArea()->title(), QStringLiteral("Filtro"));
  for (const char* name : {"sbtConfirma", "sbtCancel", "sbtHelp"})
    EXPECT_NE(dialog.findChild<QPushButton*>(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("sbtCancel"))->text(), QStringLiteral("Cancela"));
  EXPECT_NE(dialog.optionsMenu(), nullptr);
  state.sbtConfirma.setEnabled(false);
  EXPECT_FALSE(dialog.findChild<QPushButton*>(QStringLiteral("sbtConfirma"))->isEnabled());
  savePicture(dialog, QStringLiteral("dialogo-base"));

  // The options menu saves what the dialog wrote and loads it back for the same operator.
  const QString root =
      QDir::temp().filePath(QStringLiteral("ped-frame-%1").arg(QCoreApplication::applicationPid()));
  const hostlib::OptionsStore store(root.toStdString());
  hostlib::ScriptedHost host;
  dialog.setOptionsStore(&store, "ANA", &host);
  dialog.onBeforeSaveOptions = [&] { state.options.set("stCliente", "000123_000456"); };
  std::string loaded;
  dialog.onOptionsLoaded = [&] { loaded = state.options.get("stCliente").value_or("nada"); };
  dialog.findChild<QAction*>(QStringLiteral("mnuSalvarOpcoes"))->trigger();
  state.options.clear();
  dialog.findChild<QAction*>(QStringLiteral("mnuCarregarOpcoes"))->trigger();
  EXPECT_EQ(loaded, "000123_000456");
  EXPECT_TRUE(host.take().empty());
  QDir(root).removeRecursively();

  // Ajuda and F1 show the dialog's help topic; a disabled Ajuda shows nothing.
  state.helpFile = "pedhelp.hlp";
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  dialog.findChild<QPushButton*>(QStringLiteral("sbtHelp"))->click();
  QTest::keyClick(&dialog, Qt::Key_F1);
  state.sbtHelp.setEnabled(false);
  QTest::keyClick(&dialog, Qt::Key_F1);
  EXPECT_EQ(host.take(),
            (std::vector<std::string>{"ajuda: pedhelp.hlp 12200801", "ajuda: pedhelp.hlp 12200801"}));
}

TEST(Help, TopicsOpenInTheHelpWindowAndAMissingOneIsAnError) {
  QWidget main;
  QtHost host(&main);
  host.showHelp("pedhelp.hlp", 12200800);
  auto* window = main.findChild<QDialog*>(QStringLiteral("frmAjuda"));
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(
      window->findChild<QTextBrowser*>()->toPlainText().contains(QStringLiteral("Liquidação Manual")));
  host.showHelp("pedhelp.hlp", 12200801);  // the same window, the other topic
  EXPECT_EQ(main.findChildren<QDialog*>(QStringLiteral("frmAjuda")).size(), 1);
  EXPECT_TRUE(window->findChild<QTextBrowser*>()->toPlainText().contains(QStringLiteral("Filtro")));
  savePicture(*window, QStringLiteral("ajuda"));

  QString shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    shown = box->text();
    box->accept();
  });
  host.showHelp("pedhelp.hlp", 99);
  EXPECT_EQ(shown, QStringLiteral("Tópico de ajuda 99 não encontrado em pedhelp.hlp."));
}

TEST(DateEditWidget, TypedDatesReachTheStateAndTheCalendarNamesItsWeekdays) {
  hostlib::TDateEditPlus state("depDeEmissao");
  DateEditWidget widget(state);
  const engine::FixedClock clock(engine::date_time::fromCivil({2031, 3, 14}));
  widget.setClock(clock);
  widget.show();
  widget.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
  widget.edit()->setFocus();
  EXPECT_EQ(widget.edit()->text(), QStringLiteral("__/__/____"));
  QTest::keyClicks(widget.edit(), QStringLiteral("07122026"));
  EXPECT_EQ(widget.edit()->text(), QStringLiteral("07/12/2026"));
  EXPECT_TRUE(state.IsDateValid());
  EXPECT_EQ(state.GetDate(), engine::date_time::fromCivil({2026, 12, 7}));
  EXPECT_EQ(widget.edit()->palette().color(QPalette::Text), QColor(0, 0, 255));  // blue: a valid date

  state.SetDate(0);
  EXPECT_EQ(widget.edit()->text(), QStringLiteral("__/__/____"));

  widget.openCalendar();  // an empty field opens on the month of the screen's "today"
  QTRY_VERIFY(widget.popup()->isVisible());
  EXPECT_EQ(widget.popup()->title()->text(), QStringLiteral("Março de 2031"));
  auto* grid = widget.popup()->grid();
  QStringList names;
  for (int c = 0; c < 7; ++c) names << grid->horizontalHeaderItem(c)->text();
  EXPECT_EQ(names.join(','), QStringLiteral("Domingo,Segunda,Terça,Quarta,Quinta,Sexta,Sábado"));
  state.SetDate(engine::date_time::fromCivil({2026, 12, 7}));
  widget.openCalendar();
  QTRY_COMPARE(widget.popup()->title()->text(), QStringLiteral("Dezembro de 2026"));
  EXPECT_EQ(grid->item(1, 1)->text(), QStringLiteral("7"));  // 1 December 2026 is a Tuesday
  savePicture(*widget.popup(), QStringLiteral("calendario"));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(2, 5)).center());
  EXPECT_EQ(widget.edit()->text(), QStringLiteral("18/12/2026"));
  EXPECT_FALSE(widget.popup()->isVisible());

  // From the keyboard: Alt+Down opens it on the field's date, arrows move by
  // day and week, Page Down goes to the next month, Enter chooses.
  QTest::keyClick(widget.edit(), Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(widget.popup()->isVisible());
  QTest::keyClick(grid, Qt::Key_Right);
  QTest::keyClick(grid, Qt::Key_Down);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(widget.edit()->text(), QStringLiteral("26/12/2026"));
  widget.openCalendar();
  QTRY_VERIFY(widget.popup()->isVisible());
  QTest::keyClick(grid, Qt::Key_PageDown);
  EXPECT_EQ(widget.popup()->title()->text(), QStringLiteral("Janeiro de 2027"));
  QTest::keyClick(grid, Qt::Key_Enter);
  EXPECT_EQ(widget.edit()->text(), QStringLiteral("01/01/2027"));
}

// A panel shown while its page is not showing appears with the page.
TEST(ControlBinding, AChildShownWhileItsParentIsHiddenShowsWithIt) {
  QWidget page;
  auto* panel = new QWidget(&page);
  hostlib::Control control("panEvolEstq");
  bind(*panel, control);
  page.show();
  control.setVisible(false);
  page.hide();
  control.setVisible(true);
  page.show();
  EXPECT_TRUE(panel->isVisible());
}

}  // namespace
}  // namespace ped::hostlib_qt

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
