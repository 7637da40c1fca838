// Behaviour of the data set: events, editing states, cursor, filter, index
// order, locate, change log, copies and packets.

#include "engine/data_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/text.h"

namespace ped::engine {
namespace {

// A small stock-allocation table: branch, order, item, warehouse, lot, quantity, expiry.
void defineAllocation(DataSet& ds) {
  ds.addField({.name = "CDFILIAL", .type = FieldType::Text, .size = 4});
  ds.addField({.name = "NRPEDIDO", .type = FieldType::Text, .size = 10});
  ds.addField({.name = "NRITEMPED", .type = FieldType::Text, .size = 10});
  ds.addField({.name = "CDALMOXARIFE", .type = FieldType::Text, .size = 6, .label = "Almoxarifado"});
  ds.addField({.name = "NRLOTEESTQ", .type = FieldType::Text, .size = 20});
  ds.addField({.name = "QTEXP", .type = FieldType::Float});
  ds.addField({.name = "DTVALILOTE", .type = FieldType::DateTime});
}

void addRow(DataSet& ds, const std::vector<Value>& values) {
  ds.append();
  for (std::size_t i = 0; i < values.size(); ++i) ds.field(i).setValue(values[i]);
  ds.post();
}

// Records every event in order.
struct EventLog {
  std::vector<std::string> events;
  void attach(DataSet& ds) {
    auto rec = [this](const char* name) { return [this, name](DataSet&) { events.push_back(name); }; };
    ds.events.beforeInsert = rec("beforeInsert");
    ds.events.afterInsert = rec("afterInsert");
    ds.events.beforeEdit = rec("beforeEdit");
    ds.events.afterEdit = rec("afterEdit");
    ds.events.beforePost = rec("beforePost");
    ds.events.afterPost = rec("afterPost");
    ds.events.beforeCancel = rec("beforeCancel");
    ds.events.afterCancel = rec("afterCancel");
    ds.events.beforeDelete = rec("beforeDelete");
    ds.events.afterDelete = rec("afterDelete");
    ds.events.beforeScroll = rec("beforeScroll");
    ds.events.afterScroll = rec("afterScroll");
    ds.events.onNewRecord = rec("onNewRecord");
    ds.events.afterOpen = rec("afterOpen");
  }
  std::vector<std::string> take() { return std::exchange(events, {}); }
};

using Strings = std::vector<std::string>;

class AllocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defineAllocation(ds);
    ds.open();
    addRow(ds, {"0001", "12", "1", "01", "L1", 5.0, 46000.0});
    addRow(ds, {"0001", "12", "1", "02", "L2", 3.0, 45990.0});
    addRow(ds, {"0001", "12", "2", "01", "L1", 7.0, 46010.0});
    addRow(ds, {"0001", "15", "1", "01", "L3", 1.0, 45990.0});
    ds.mergeChangeLog();
    ds.first();
  }
  std::string column(std::string_view name) {
    std::string out;
    const Bookmark here = ds.bookmark();
    for (ds.first(); !ds.eof(); ds.next()) {
      if (ds.recNo() > 1) out += ',';
      out += ds.field(name).asString();
    }
    if (ds.bookmarkValid(here)) ds.gotoBookmark(here);
    return out;
  }
  DataSet ds{"cdsEvolEst"};
};

TEST_F(AllocationTest, EventsRunInOrderForEveryOperation) {
  EventLog log;
  log.attach(ds);

  ds.insert();
  EXPECT_EQ(log.take(),
            (Strings{"beforeInsert", "beforeScroll", "onNewRecord", "afterInsert", "afterScroll"}));
  ds.field("QTEXP").setFloat(2);
  ds.post();
  EXPECT_EQ(log.take(), (Strings{"beforePost", "afterPost"}));

  ds.edit();
  EXPECT_EQ(log.take(), (Strings{"beforeEdit", "afterEdit"}));
  ds.cancel();
  EXPECT_EQ(log.take(), (Strings{"beforeCancel", "afterCancel"}));

  ds.remove();
  EXPECT_EQ(log.take(), (Strings{"beforeDelete", "beforeScroll", "afterDelete", "afterScroll"}));

  ds.last();
  EXPECT_EQ(log.take(), (Strings{"beforeScroll", "afterScroll"}));
  EXPECT_TRUE(ds.eof());
  ds.next();  // already at EOF: nothing moves
  EXPECT_EQ(log.take(), (Strings{"beforeScroll"}));
  ds.prior();
  ds.next();
  EXPECT_EQ(log.take(), (Strings{"beforeScroll", "afterScroll", "beforeScroll", "afterScroll"}));
  EXPECT_FALSE(ds.eof());
  ds.next();  // from the last row: reaches EOF, still a scroll
  EXPECT_EQ(log.take(), (Strings{"beforeScroll", "afterScroll"}));
  EXPECT_TRUE(ds.eof());
}

TEST_F(AllocationTest, EditingANonEmptyRowPostsWhenTheCursorMovesAndARefusedPostStopsTheMove) {
  ds.edit();
  ds.field("QTEXP").setFloat(9);
  ds.next();  // posts first
  EXPECT_EQ(ds.state(), DataSetState::Browse);
  EXPECT_EQ(column("QTEXP"), "9,3,7,1");

  ds.first();
  ds.events.beforePost = [](DataSet& d) {
    if (d.field("QTEXP").asFloat() < 0) throw EngineError("quantidade negativa");
  };
  ds.edit();
  ds.field("QTEXP").setFloat(-1);
  EXPECT_THROW(ds.next(), EngineError);
  EXPECT_EQ(ds.state(), DataSetState::Edit);
  EXPECT_EQ(ds.recNo(), 1u);
  EXPECT_EQ(ds.field("QTEXP").asFloat(), -1);  // the value typed survives
  EXPECT_THROW(ds.post(), EngineError);
  ds.field("QTEXP").setFloat(4);
  ds.post();
  EXPECT_EQ(ds.field("QTEXP").asFloat(), 4);
}

TEST_F(AllocationTest, OnChangeFiresOnEveryAssignmentAlsoOfAnEqualValue) {
  int changes = 0;
  ds.field("CDALMOXARIFE").onChange = [&](Field& f) {
    ++changes;
    EXPECT_EQ(f.asString(), "01");  // the new value is visible inside the handler
  };
  ds.edit();
  ds.field("CDALMOXARIFE").setString("01");
  ds.field("CDALMOXARIFE").setString("01");
  EXPECT_EQ(changes, 2);
  auto saved = std::move(ds.field("CDALMOXARIFE").onChange);
  ds.field("CDALMOXARIFE").onChange = nullptr;  // detached
  ds.field("CDALMOXARIFE").setString("01");
  ds.field("CDALMOXARIFE").onChange = std::move(saved);
  ds.field("CDALMOXARIFE").setString("01");
  EXPECT_EQ(changes, 3);
}

TEST_F(AllocationTest, CancelRestoresTheLastPostedValuesAndDropsAnInsert) {
  ds.edit();
  ds.field("QTEXP").setFloat(100);
  ds.field("NRLOTEESTQ").setString("ZZ");
  ds.cancel();
  EXPECT_EQ(ds.field("QTEXP").asFloat(), 5);
  EXPECT_EQ(ds.field("NRLOTEESTQ").asString(), "L1");

  ds.next();
  ds.insert();
  EXPECT_EQ(ds.recordCount(), 5u);
  EXPECT_EQ(ds.recNo(), 2u);
  ds.field("QTEXP").setFloat(1);
  ds.cancel();
  EXPECT_EQ(ds.recordCount(), 4u);
  EXPECT_EQ(column("QTEXP"), "5,3,7,1");
}

TEST_F(AllocationTest, InsertStandsBeforeTheCurrentRowAndAppendAtTheEnd) {
  ds.next();
  ds.insert();
  ds.field("NRLOTEESTQ").setString("NEW");
  ds.post();
  ds.append();
  ds.field("NRLOTEESTQ").setString("END");
  ds.post();
  EXPECT_EQ(column("NRLOTEESTQ"), "L1,NEW,L2,L1,L3,END");
  EXPECT_EQ(ds.changeCount(), 2u);
}

TEST_F(AllocationTest, OldValuesAreThoseOfTheLastMerge) {
  ds.edit();
  ds.field("QTEXP").setFloat(8);
  EXPECT_EQ(ds.field("QTEXP").oldValue(), Value(5.0));
  ds.post();
  EXPECT_EQ(ds.field("QTEXP").oldValue(), Value(5.0));
  ds.edit();
  ds.field("QTEXP").setFloat(9);
  ds.post();
  EXPECT_EQ(ds.field("QTEXP").oldValue(), Value(5.0));  // the change log keeps the first state
  EXPECT_EQ(ds.changeCount(), 1u);
  ds.mergeChangeLog();
  EXPECT_EQ(ds.changeCount(), 0u);
  EXPECT_EQ(ds.field("QTEXP").oldValue(), Value(9.0));
  ds.append();
  ds.field("QTEXP").setFloat(1);
  ds.post();
  EXPECT_TRUE(ds.field("QTEXP").oldValue().isNull());  // inserted after the merge
}

TEST_F(AllocationTest, FilterCountsAndNavigatesWhileRowsAreEditedOutOfIt) {
  ds.setFilter("NRPEDIDO = '12' AND NRITEMPED = '1'");
  ds.setFiltered(true);
  EXPECT_EQ(ds.recordCount(), 2u);
  EXPECT_EQ(column("CDALMOXARIFE"), "01,02");

  ds.first();
  ds.edit();
  ds.field("NRITEMPED").setString("3");
  ds.post();  // leaves the filter; the cursor stands on the row that followed it
  EXPECT_EQ(ds.recordCount(), 1u);
  EXPECT_EQ(ds.field("CDALMOXARIFE").asString(), "02");
  EXPECT_TRUE(ds.bof() || ds.recNo() == 1);

  ds.edit();
  ds.field("NRITEMPED").setString("9");
  ds.post();
  EXPECT_TRUE(ds.isEmpty());
  EXPECT_TRUE(ds.eof());
  EXPECT_TRUE(ds.field("QTEXP").isNull());

  ds.setFiltered(false);
  EXPECT_EQ(ds.recordCount(), 4u);
  EXPECT_EQ(column("NRITEMPED"), "3,9,2,1");
}

TEST_F(AllocationTest, AnInsertedRowThatDoesNotMatchTheFilterLeavesTheView) {
  ds.setFilter("NRPEDIDO = '15'");
  ds.setFiltered(true);
  ds.insert();
  EXPECT_EQ(ds.recordCount(), 2u);
  ds.field("NRPEDIDO").setString("99");
  ds.post();
  EXPECT_EQ(ds.recordCount(), 1u);
  ds.setFiltered(false);
  EXPECT_EQ(ds.recordCount(), 5u);
}

TEST_F(AllocationTest, FilterTextsAreCheckedWhenSet) {
  ds.setFilter("NRPEDIDO = '12'");
  try {
    ds.setFilter("NRPEDIDO = '12' AND XX = '1'");
    FAIL() << "unknown field accepted";
  } catch (const FilterError& e) {
    EXPECT_NE(std::string(e.what()).find("XX"), std::string::npos);
  }
  EXPECT_EQ(ds.filter(), "NRPEDIDO = '12'");  // the previous filter stays
  ds.setFiltered(true);
  EXPECT_EQ(ds.recordCount(), 3u);

  ds.setFilter("NRPEDIDO = '12'AND NRITEMPED = '2'");  // no blank after the quote
  EXPECT_EQ(ds.recordCount(), 1u);
}

TEST_F(AllocationTest, IndexOrderSortsKeepsTiesInOrderAndMovesPostedRows) {
  ds.setIndexFieldNames("DTVALILOTE");
  EXPECT_EQ(column("NRLOTEESTQ"), "L2,L3,L1,L1");  // the two 45990 rows keep their order
  EXPECT_EQ(column("QTEXP"), "3,1,5,7");

  ds.first();
  ds.edit();
  ds.field("DTVALILOTE").setDateTime(46020);
  ds.post();
  EXPECT_EQ(ds.field("NRLOTEESTQ").asString(), "L2");  // the cursor follows the row
  EXPECT_EQ(ds.recNo(), 4u);
  EXPECT_EQ(column("QTEXP"), "1,5,7,3");

  ds.insert();
  ds.field("DTVALILOTE").setDateTime(45000);
  ds.field("QTEXP").setFloat(0.5);
  ds.post();
  EXPECT_EQ(ds.recNo(), 1u);
  EXPECT_EQ(column("QTEXP"), "0,5,1,5,7,3");

  ds.setIndexFieldNames("NRPEDIDO;NRITEMPED;CDALMOXARIFE");
  EXPECT_EQ(column("NRLOTEESTQ"), ",L1,L2,L1,L3");  // null keys first
  ds.setIndexFieldNames("");
  // The insert stood before the then current row (L2) in natural order too.
  EXPECT_EQ(column("QTEXP"), "5,0,5,3,7,1");
}

TEST_F(AllocationTest, ACopySharesNothingVisible) {
  DataSet copy("cdsEvolEstAux");
  defineAllocation(copy);
  copy.copyFrom(ds);
  EXPECT_EQ(copy.recordCount(), 4u);

  ds.first();
  ds.edit();
  ds.field("QTEXP").setFloat(50);
  ds.post();
  ds.append();
  ds.field("NRLOTEESTQ").setString("X");
  ds.post();
  EXPECT_EQ(copy.recordCount(), 4u);
  copy.first();
  EXPECT_EQ(copy.field("QTEXP").asFloat(), 5);

  copy.edit();
  copy.field("NRLOTEESTQ").setString("COPY");
  copy.post();
  ds.first();
  EXPECT_EQ(ds.field("NRLOTEESTQ").asString(), "L1");
  EXPECT_EQ(ds.recordCount(), 5u);
}

TEST_F(AllocationTest, ACopyThatLearnsNewTextsLeavesTheSourceRowsAlone) {
  DataSet copy;
  copy.copyFrom(ds);
  copy.first();
  copy.edit();
  copy.field("NRLOTEESTQ").setString("NOVO");  // a text the shared dictionary never had
  copy.post();
  ds.first();
  ds.edit();
  ds.field("NRLOTEESTQ").setString("OUTRO");
  ds.post();
  EXPECT_EQ(copy.field("NRLOTEESTQ").asString(), "NOVO");
  EXPECT_EQ(ds.field("NRLOTEESTQ").asString(), "OUTRO");
  EXPECT_FALSE(ds.locate("NRLOTEESTQ", {"NOVO"}));
  EXPECT_TRUE(copy.locate("NRLOTEESTQ", {"L2"}));
}

TEST_F(AllocationTest, ACopyTakenDuringAnInsertHoldsOnlyPostedRows) {
  ds.insert();
  ds.field("NRLOTEESTQ").setString("PENDING");
  DataSet copy;
  copy.copyFrom(ds);
  EXPECT_EQ(copy.recordCount(), 4u);
  EXPECT_EQ(copy.fieldCount(), ds.fieldCount());
  EXPECT_EQ(copy.field("CDALMOXARIFE").label(), "Almoxarifado");
  DataSet fromPacket;
  fromPacket.loadPacket(ds.toPacket());
  EXPECT_EQ(fromPacket.recordCount(), 4u);
}

TEST_F(AllocationTest, LocateFindsTheFirstRowInViewOrderCaseInsensitively) {
  ds.first();
  ds.edit();
  ds.field("NRLOTEESTQ").setString("ação");
  ds.post();
  EXPECT_TRUE(ds.locate("NRPEDIDO;NRITEMPED", {"12", "2"}));
  EXPECT_EQ(ds.recNo(), 3u);
  EXPECT_FALSE(ds.locate("NRLOTEESTQ", {"AÇÃO"}));
  EXPECT_EQ(ds.recNo(), 3u);  // not found: the cursor stays
  EXPECT_TRUE(ds.locate("nrloteestq", {"AÇÃO"}, {.caseInsensitive = true}));
  EXPECT_EQ(ds.recNo(), 1u);
  EXPECT_FALSE(ds.locate("QTEXP", {"não é número"}));
  EXPECT_TRUE(ds.locate("QTEXP", {7}));
  EXPECT_THROW(ds.locate("NRPEDIDO;NRITEMPED", {"12"}), EngineError);
}

TEST_F(AllocationTest, TextsAreCutToTheirSizeInCharactersAndEmptyTextIsNull) {
  ds.edit();
  ds.field("CDFILIAL").setString("ÁÉÍÓÚ");
  EXPECT_EQ(ds.field("CDFILIAL").asString(), "ÁÉÍÓ");
  ds.field("NRLOTEESTQ").setString("");
  EXPECT_TRUE(ds.field("NRLOTEESTQ").isNull());
  EXPECT_THROW(ds.field("QTEXP").setString("abc"), EngineError);
  ds.field("QTEXP").setString("1,5");
  EXPECT_EQ(ds.field("QTEXP").asFloat(), 1.5);
  ds.post();
  EXPECT_EQ(ds.field("CDFILIAL").asString(), "ÁÉÍÓ");

  DataSet plain;
  plain.addField({.name = "TXT"});
  plain.open();
  plain.append();
  plain.field("txt").setString(std::string(30, 'x'));
  EXPECT_EQ(plain.field("TXT").asString().size(), 20u);
}

TEST_F(AllocationTest, WritingOutsideEditIsRefused) {
  EXPECT_THROW(ds.field("QTEXP").setFloat(1), EngineError);
  EXPECT_THROW(ds.field("NOPE"), EngineError);
}

TEST_F(AllocationTest, DisplayUpdatesResumeWithOneNotice) {
  std::vector<DataSetNotice> heard;
  const int id = ds.addListener([&](DataSetNotice n) { heard.push_back(n); });
  ds.disableControls();
  ds.disableControls();
  for (ds.first(); !ds.eof(); ds.next()) {
  }
  ds.enableControls();
  EXPECT_TRUE(heard.empty());
  ds.enableControls();
  EXPECT_EQ(heard, std::vector<DataSetNotice>{DataSetNotice::DataChanged});
  // A new filter puts other rows in view: views must hear it.
  heard.clear();
  ds.setFilter("QTEXP > 0");
  ds.setFiltered(true);
  ds.setFilter("QTEXP < 0");
  EXPECT_EQ(std::count(heard.begin(), heard.end(), DataSetNotice::DataChanged), 2);
  ds.removeListener(id);
  ds.first();
  EXPECT_EQ(std::count(heard.begin(), heard.end(), DataSetNotice::DataChanged), 2);
}

TEST_F(AllocationTest, GuardsRestoreHandlersAndDisplayUpdatesWhenAPassAborts) {
  int scrolls = 0;
  ds.events.afterScroll = [&](DataSet&) { ++scrolls; };
  try {
    ControlsDisabled quiet(ds);
    DetachedHandler detached(ds.events.afterScroll);
    for (ds.first(); !ds.eof(); ds.next()) {
      if (ds.recNo() == 3) throw EngineError("abortado");
    }
  } catch (const EngineError&) {
  }
  EXPECT_EQ(scrolls, 0);
  EXPECT_FALSE(ds.controlsDisabled());
  ds.first();
  EXPECT_EQ(scrolls, 1);
}

TEST_F(AllocationTest, BookmarksSurviveEditsButNotAReload) {
  ds.setRecNo(4);
  EXPECT_EQ(ds.field("NRLOTEESTQ").asString(), "L3");
  EXPECT_THROW(ds.setRecNo(0), EngineError);
  EXPECT_THROW(ds.setRecNo(5), EngineError);
  ds.first();
  ds.next();
  const Bookmark b = ds.bookmark();
  ds.last();
  ds.gotoBookmark(b);
  EXPECT_EQ(ds.field("CDALMOXARIFE").asString(), "02");
  ds.setFilter("NRPEDIDO = '15'");
  ds.setFiltered(true);
  EXPECT_FALSE(ds.bookmarkValid(b));
  EXPECT_THROW(ds.gotoBookmark(b), EngineError);
  ds.setFiltered(false);
  ds.loadPacket(ds.toPacket());
  EXPECT_FALSE(ds.bookmarkValid(b));
}

TEST_F(AllocationTest, DumpShowsTheWholeState) {
  ds.setFilter("NRPEDIDO = '12'");
  ds.setFiltered(true);
  ds.next();
  EXPECT_EQ(ds.dump("NRITEMPED;QTEXP;DTVALILOTE"),
            "cdsEvolEst Browse 2/3 filter(on)=\"NRPEDIDO = '12'\"\n"
            "  1 5 2025-12-09\n"
            "> 1 3 2025-11-29\n"
            "  2 7 2025-12-19");
}

TEST(DataSetPacket, LoadingOpensStandsOnTheFirstRowAndRunsAfterOpenThenAfterScroll) {
  DataSet source;
  defineAllocation(source);
  source.open();
  addRow(source, {"0001", "12", "1", "01", "L1", 5.0, 46000.5});
  addRow(source, {"0001", "12", "2", nullptr, "O'Brien \"x\"", nullptr, nullptr});
  const std::string packet = source.toPacket();

  DataSet target;
  defineAllocation(target);
  EventLog log;
  log.attach(target);
  target.loadPacket(packet);
  EXPECT_EQ(log.take(), (Strings{"afterOpen", "afterScroll"}));
  EXPECT_EQ(target.state(), DataSetState::Browse);
  source.first();
  EXPECT_EQ(target.dump(), source.dump());

  const std::string before = target.dump();
  EXPECT_THROW(target.loadPacket(R"({"fields":[{"name":"CDFILIAL","type":"string"}],"rows":[]})"),
               PacketError);
  EXPECT_THROW(target.loadPacket("{\"fields\":"), PacketError);
  EXPECT_EQ(target.dump(), before);
  EXPECT_TRUE(log.take().empty());

  source.emptyDataSet();
  target.loadPacket(source.toPacket());
  EXPECT_EQ(log.take(), (Strings{"afterOpen"}));
  EXPECT_TRUE(target.isEmpty());
  EXPECT_TRUE(target.eof() && target.bof());
}

TEST(DataSetCalculated, CalculatedFieldsFollowTheirDataFields) {
  DataSet ds("cdsPedido");
  ds.addField({.name = "DsPedido", .type = FieldType::Text, .size = 70, .calculated = true});
  ds.addField({.name = "NRPEDIDO", .size = 10});
  ds.addField({.name = "NMFANTCLIE", .size = 50});
  ds.events.onCalcFields = [](DataSet& d) {
    d.field("DsPedido").setString(d.field("NRPEDIDO").asString() + " - " + d.field("NMFANTCLIE").asString());
  };
  ds.open();
  ds.append();
  ds.field("NRPEDIDO").setString("12");
  ds.field("NMFANTCLIE").setString("Padaria");
  EXPECT_EQ(ds.field("DsPedido").asString(), "12 - Padaria");
  ds.post();
  EXPECT_EQ(ds.field("DsPedido").asString(), "12 - Padaria");
  EXPECT_THROW(ds.field("DsPedido").setString("x"), EngineError);

  ds.edit();
  ds.field("NMFANTCLIE").setString("Mercado");
  EXPECT_EQ(ds.field("DsPedido").asString(), "12 - Mercado");  // follows the typed value
  ds.cancel();
  EXPECT_EQ(ds.field("DsPedido").asString(), "12 - Padaria");

  DataSet other("copy");
  other.addField({.name = "DsPedido", .type = FieldType::Text, .size = 70, .calculated = true});
  other.addField({.name = "NRPEDIDO", .size = 10});
  other.addField({.name = "NMFANTCLIE", .size = 50});
  other.events.onCalcFields = ds.events.onCalcFields;
  other.loadPacket(ds.toPacket());  // calculated fields travel as nothing and are computed on arrival
  EXPECT_EQ(other.field("DsPedido").asString(), "12 - Padaria");
}

// The index-backed paths (filter and locate on large views) must agree with a
// plain scan on every row.
TEST(DataSetLargeViews, IndexedFilterAndLocateAgreeWithAScan) {
  DataSet ds;
  defineAllocation(ds);
  ds.open();
  std::mt19937 rng(7);
  const char* lots[] = {"L1", "l1", "Ação", "AÇÃO", "L'2"};
  for (int i = 0; i < 600; ++i)
    addRow(ds,
           {"0001", std::to_string(rng() % 20), std::to_string(rng() % 4), "0" + std::to_string(rng() % 3),
            lots[rng() % 5], static_cast<double>(rng() % 10), 45990.0 + static_cast<double>(rng() % 5)});
  // Edit some rows so the indexes hold stale entries.
  ds.first();
  for (int i = 0; i < 100; ++i) {
    ds.edit();
    ds.field("NRPEDIDO").setString(std::to_string(rng() % 20));
    ds.post();
    for (unsigned k = rng() % 7; k > 0; --k) ds.next();
    if (ds.eof()) ds.first();
  }
  ds.setIndexFieldNames("DTVALILOTE");

  for (int trial = 0; trial < 40; ++trial) {
    const std::string p = std::to_string(rng() % 20), item = std::to_string(rng() % 4);
    const std::string lot = lots[rng() % 5];
    // Expected from a scan over the whole view without filter.
    ds.setFiltered(false);
    std::vector<std::string> expected;
    for (ds.first(); !ds.eof(); ds.next())
      if (ds.field("NRPEDIDO").asString() == p && ds.field("NRITEMPED").asString() == item &&
          ds.field("NRLOTEESTQ").asString() == lot)
        expected.push_back(std::to_string(ds.recNo()));
    std::vector<std::string> firstCi;
    for (ds.first(); !ds.eof() && firstCi.empty(); ds.next())
      if (ds.field("NRPEDIDO").asString() == p &&
          text::equalsIgnoreCase(ds.field("NRLOTEESTQ").asString(), lot))
        firstCi.push_back(std::to_string(ds.recNo()));

    ds.first();
    const bool found = ds.locate("NRPEDIDO;NRLOTEESTQ", {p, lot}, {.caseInsensitive = true});
    EXPECT_EQ(found, !firstCi.empty());
    if (found) {
      EXPECT_EQ(std::to_string(ds.recNo()), firstCi[0]);
    }

    ds.setFilter("CDFILIAL = '0001' AND NRPEDIDO = " + quoteFilterValue(p) +
                 " AND NRITEMPED = " + quoteFilterValue(item) + "AND NRLOTEESTQ = " + quoteFilterValue(lot));
    ds.setFiltered(true);
    EXPECT_EQ(ds.recordCount(), expected.size()) << ds.filter();
    // Filtered rows come in index order.
    double last = 0;
    for (ds.first(); !ds.eof(); ds.next()) {
      EXPECT_LE(last, ds.field("DTVALILOTE").asFloat());
      last = ds.field("DTVALILOTE").asFloat();
    }
  }
}

}  // namespace
}  // namespace ped::engine

namespace ped::engine {
namespace {

// A packet column whose first rows are all distinct is taken in without a
// look-up per text; a text repeated further down must still be one value to
// filters, locates, index order and later edits.
TEST(DataSetLargeViews, RepeatedTextsInANearlyDistinctColumnStayOneValue) {
  DataSet source;
  source.addField({.name = "NRPEDIDO", .size = 10});
  source.addField({.name = "NRITEMPED", .size = 10});
  source.open();
  for (int i = 0; i < 3000; ++i) {
    std::string order = "P";
    order += (i == 2000 || i == 2500) ? std::string("10") : std::to_string(i);
    addRow(source, {order, std::to_string(i)});
  }
  DataSet ds;
  ds.addField({.name = "NRPEDIDO", .size = 10});
  ds.addField({.name = "NRITEMPED", .size = 10});
  ds.loadPacket(source.toPacket());

  ds.setFilter("NRPEDIDO = 'P10'");
  ds.setFiltered(true);
  EXPECT_EQ(ds.dump("NRITEMPED"),
            "DataSet Browse 1/3 BOF filter(on)=\"NRPEDIDO = 'P10'\"\n> 10\n  2000\n  2500");
  ds.setFiltered(false);

  ds.last();
  EXPECT_TRUE(ds.locate("NRPEDIDO", {"p10"}, {.caseInsensitive = true}));
  EXPECT_EQ(ds.field("NRITEMPED").asString(), "10");

  ds.setIndexFieldNames("NRPEDIDO");
  ASSERT_TRUE(ds.locate("NRPEDIDO", {"P10"}));
  std::string run;
  for (int k = 0; k < 3; ++k, ds.next()) run += ds.field("NRITEMPED").asString() + ";";
  EXPECT_EQ(run, "10;2000;2500;");
  ds.setIndexFieldNames("");

  ds.first();
  ds.edit();
  ds.field("NRPEDIDO").setString("P10");
  ds.post();
  ds.setFiltered(true);
  EXPECT_EQ(ds.recordCount(), 4u);
}

TEST_F(AllocationTest, DisplayTextOfAnyRowRunsItsHandlerOnThatRow) {
  // A handler that reads another field of "the current row".
  ds.field("NRLOTEESTQ").onGetText = [this](const Field& f, std::string& text, bool) {
    std::string shown = f.dataSet().field("CDALMOXARIFE").asString();
    shown += "/";
    shown += text;
    text = shown;
  };
  ds.setRecNo(2);
  int scrolls = 0;
  ds.events.afterScroll = [&](DataSet&) { ++scrolls; };
  const std::size_t lot = ds.field("NRLOTEESTQ").index();
  for (std::size_t p = 0; p < ds.recordCount(); ++p) {
    std::string expected = ds.cellAt(p, ds.field("CDALMOXARIFE").index()).toValue().text();
    expected += "/";
    expected += ds.cellAt(p, lot).toValue().text();
    EXPECT_EQ(ds.displayTextAt(p, lot), expected);
  }
  EXPECT_EQ(ds.recNo(), 2u);
  EXPECT_EQ(scrolls, 0);
}

}  // namespace
}  // namespace ped::engine
