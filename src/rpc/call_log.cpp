#include "rpc/call_log.h"

#include "rpc/json_writer.h"

namespace ped::rpc {
namespace {

void textMember(JsonWriter& w, std::string_view name, std::string_view text) {
  w.key(name);
  try {
    w.string(text);
  } catch (const JsonWriteError&) {
    w.string("?");
  }
}

}  // namespace

std::string callLogLine(const CallRecord& record) {
  JsonWriter w(128);
  w.beginObject();
  textMember(w, "method", record.method);
  textMember(w, "operator", record.operatorCode);
  textMember(w, "peer", record.peer);
  w.key("us").integer(record.duration.count());
  if (record.errorCode == 0) {
    w.key("outcome").string("ok");
  } else {
    w.key("outcome").string("error").key("code").integer(record.errorCode);
    if (!record.internalDetail.empty()) textMember(w, "detail", record.internalDetail);
  }
  w.endObject();
  return w.take();
}

}  // namespace ped::rpc
