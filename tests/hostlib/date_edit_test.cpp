// The date field and the search button as the filter dialog and the main
// screen use them.

#include "hostlib/date_edit.h"

#include <gtest/gtest.h>

#include "engine/date_time.h"
#include "hostlib/search_button.h"
#include "support/scripted_host.h"

namespace ped::hostlib {
namespace {

namespace date_time = engine::date_time;

TEST(TDateEditPlus, ZeroIsNoDateAndValidDatesShowBlue) {
  TDateEditPlus dep("depDeEmissao");
  EXPECT_EQ(dep.GetDate(), 0);
  EXPECT_FALSE(dep.IsDateValid());
  dep.CheckValidDate();  // empty passes

  const double day = date_time::fromCivil({2026, 12, 7, 15, 30});
  dep.SetDate(day);
  EXPECT_EQ(dep.text(), "07/12/2026");  // no time of day
  EXPECT_EQ(dep.GetDate(), date_time::datePart(day));
  EXPECT_EQ(dep.fontColor(), TDateEditPlus::kValidColor);

  dep.SetDate(0);
  EXPECT_EQ(dep.text(), "");
  EXPECT_EQ(dep.GetDate(), 0);

  dep.setTyped("31/02/2026");
  EXPECT_FALSE(dep.IsDateValid());
  EXPECT_EQ(dep.GetDate(), 0);
  EXPECT_EQ(dep.fontColor(), TDateEditPlus::kPlainColor);
  EXPECT_THROW(dep.CheckValidDate(), InvalidDate);

  dep.setTyped("__/__/____");  // what an untouched masked field holds
  EXPECT_EQ(dep.GetDate(), 0);
  dep.CheckValidDate();
}

TEST(TBtnPesquisa, ABeforeSearchPreparesTheRowsAndAChoiceRunsTheAfterSearch) {
  ScriptedHost host;
  engine::DataSet rows("qryPesqJust");
  rows.addField({.name = "CDJUSTEXCHIS", .size = 4});
  rows.open();
  TBtnPesquisa btn("btnCdJust");
  Control& edit = btn.add<Control>("edtCdJust");
  btn.field = &edit;
  btn.dataSource = &rows;
  btn.title = "Justificativas";
  btn.emptyListText = "Não há justificativas cadastradas.";
  btn.onBeforeSearch = [&](TBtnPesquisa&) {
    rows.emptyDataSet();
    for (const char* code : {"0001", "0002"}) {
      rows.append();
      rows.field(0).setString(code);
      rows.post();
    }
  };
  btn.onAfterSearch = [&](TBtnPesquisa& b) { b.field->setText(rows.field(0).asString()); };

  host.chooseRowNumber(2);
  EXPECT_TRUE(btn.click(host, host));
  EXPECT_EQ(edit.text(), "0002");

  host.leaveSearch();
  EXPECT_FALSE(btn.click(host, host));
  EXPECT_EQ(edit.text(), "0002");

  btn.onBeforeSearch = [&](TBtnPesquisa&) { rows.emptyDataSet(); };
  EXPECT_FALSE(btn.click(host, host));
  btn.setEnabled(false);
  EXPECT_FALSE(btn.click(host, host));  // a disabled button does nothing
  EXPECT_EQ(host.take(),
            (std::vector<std::string>{"pesquisa: Justificativas -> 2", "pesquisa: Justificativas -> saiu",
                                      "erro: Não há justificativas cadastradas."}));
}

}  // namespace
}  // namespace ped::hostlib
