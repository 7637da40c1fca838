// The allocation rows' handlers attached, the change cascade of the four
// position keys, and the defaults of a new row.

#include "core/shell/Cli_ped00800.h"
#include "hostlib/number_format.h"

namespace ped::core {
namespace {

constexpr const char* kKeyFields[] = {"CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"};

}  // namespace

void TfrmLiquidaItem::wireAllocation() {
  auto& e = cdsEvolEst.events;
  e.afterOpen = [this](engine::DataSet&) { allocationChanges.loaded(); };
  e.beforeInsert = [this](engine::DataSet&) { cdsEvolEstBeforeInsert(); };
  e.beforeEdit = [this](engine::DataSet&) { cdsEvolEstBeforeEdit(); };
  e.beforePost = [this](engine::DataSet&) { cdsEvolEstBeforePost(); };
  e.afterPost = [this](engine::DataSet&) { cdsEvolEstAfterPost(); };
  e.afterDelete = [this](engine::DataSet&) { cdsEvolEstAfterDelete(); };
  e.afterCancel = [this](engine::DataSet&) { cdsEvolEstAfterCancel(); };
  e.afterScroll = [this](engine::DataSet&) { cdsEvolEstAfterScroll(); };
  e.onNewRecord = [this](engine::DataSet&) { cdsEvolEstNewRecord(); };
  e.onStateChange = [this](engine::DataSet&) { dtsEvolEstStateChange(); };
  Finish_Valid();
  cdsPesqEvolEst.field("QTDISPONIVEL").onGetText = [](const engine::Field& f, std::string& text, bool) {
    text = f.isNull() ? std::string() : hostlib::FormatFloat("###0.000", f.asFloat());
  };
}

void TfrmLiquidaItem::Start_Valid() {
  for (const char* name : kKeyFields) cdsEvolEst.field(name).onChange = nullptr;
}

void TfrmLiquidaItem::Finish_Valid() {
  cdsEvolEst.field("CDALMOXARIFE").onChange = [this](engine::Field&) { cdsEvolEstCDALMOXARIFEChange(); };
  cdsEvolEst.field("CDLOCALESTOQ").onChange = [this](engine::Field&) { cdsEvolEstCDLOCALESTOQChange(); };
  cdsEvolEst.field("NRLOTEESTQ").onChange = [this](engine::Field&) { cdsEvolEstNRLOTEESTQChange(); };
  cdsEvolEst.field("NRSUBLOTE").onChange = [this](engine::Field&) { cdsEvolEstNRSUBLOTEChange(); };
}

// Clearing a key is writing it: its own handler clears on down.
void TfrmLiquidaItem::cdsEvolEstCDALMOXARIFEChange() {
  for (const char* name : {"DSALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ"}) cdsEvolEst.field(name).clear();
}

void TfrmLiquidaItem::cdsEvolEstCDLOCALESTOQChange() {
  for (const char* name : {"DSLOCALESTOQ", "NRLOTEESTQ"}) cdsEvolEst.field(name).clear();
}

void TfrmLiquidaItem::cdsEvolEstNRLOTEESTQChange() {
  for (const char* name : {"NRSUBLOTE", "QTDISPONIVEL", "QTEXP"}) cdsEvolEst.field(name).clear();
}

void TfrmLiquidaItem::cdsEvolEstNRSUBLOTEChange() {
  for (const char* name : {"QTDISPONIVEL", "QTEXP"}) cdsEvolEst.field(name).clear();
}

void TfrmLiquidaItem::cdsEvolEstNewRecord() {
  if (!cdsItemPedido.active() || cdsItemPedido.isEmpty()) return;
  for (const char* name : {"CDFILIAL", "CDPRODUTO", "SGUNIDADE", "NRPEDIDO", "NRITEMPED"})
    cdsEvolEst.field(name).setValue(cdsItemPedido.field(name).value());
}

}  // namespace ped::core
