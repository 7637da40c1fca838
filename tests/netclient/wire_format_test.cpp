#include "netclient/wire_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ped::netclient {
namespace {

using hostlib::RemoteResult;

TEST(DecodeResponse, MapsEachKindOfResult) {
  RemoteResult r = decodeResponse(R"({"jsonrpc":"2.0","id":3,"result":{"fields":[], "rows":[]}})", 3);
  ASSERT_TRUE(r.ok);
  EXPECT_FALSE(r.array);
  EXPECT_EQ(r.at(0), R"({"fields":[], "rows":[]})");  // as sent

  r = decodeResponse(R"({"result":[{"a":"]}"},null,{"b":[2]},[3],"x",1.5],"id":4,"jsonrpc":"2.0"})", 4);
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.array);
  ASSERT_EQ(r.packets.size(), 6u);
  EXPECT_EQ(r.at(0), R"({"a":"]}"})");
  EXPECT_EQ(r.at(1), std::nullopt);
  EXPECT_EQ(r.at(2), R"({"b":[2]})");
  EXPECT_EQ(r.at(3), "[3]");
  EXPECT_EQ(r.at(4), R"("x")");
  EXPECT_EQ(r.at(5), "1.5");

  r = decodeResponse(R"({"jsonrpc":"2.0","id":5,"result":null})", 5);
  EXPECT_TRUE(r.ok);
  EXPECT_FALSE(r.array);
  EXPECT_EQ(r.at(0), std::nullopt);

  r = decodeResponse(R"({"jsonrpc":"2.0","id":6,"result":[]})", 6);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.array);
  EXPECT_TRUE(r.packets.empty());
}

TEST(DecodeResponse, AnErrorBecomesAFailureWithItsMessage) {
  RemoteResult r = decodeResponse(
      R"({"jsonrpc":"2.0","id":7,"error":{"code":-32000,"message":"Pedido já liquidado."}})", 7);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Pedido já liquidado.");
  // The server could not read our id: its message still counts.
  r = decodeResponse(
      R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,"message":"Requisição JSON malformada."}})", 8);
  EXPECT_EQ(r.error, "Requisição JSON malformada.");
  r = decodeResponse(R"({"jsonrpc":"2.0","id":9,"error":{"code":-32000,"message":""}})", 9);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "O servidor de aplicação informou uma falha sem mensagem (código -32000).");
}

TEST(DecodeResponse, AnythingElseIsAnInvalidResponseNeverASuccess) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string cases[] = {
      "",
      "<html>502 Bad Gateway</html>",
      R"({"jsonrpc":"2.0","id":1,"result":{"a":1})",   // truncated
      R"({"jsonrpc":"2.0","id":2,"result":{"a":1}})",  // another call's answer
      R"({"jsonrpc":"2.0","id":"1","result":null})",   // id of another type
      R"({"jsonrpc":"2.0","result":null})",            // no id
      R"({"jsonrpc":"1.0","id":1,"result":null})",
      R"({"id":1,"result":null})",
      R"({"jsonrpc":"2.0","id":1})",  // neither result nor error
      R"({"jsonrpc":"2.0","id":1,"result":null,"error":{"code":1,"message":"x"}})",
      R"({"jsonrpc":"2.0","id":1,"error":"falhou"})",
      R"({"jsonrpc":"2.0","id":1,"error":{"code":-32000}})",
      R"({"jsonrpc":"2.0","id":2,"error":{"code":-32000,"message":"de outra chamada"}})",
      R"([{"jsonrpc":"2.0","id":1,"result":null}])",
      "{\"jsonrpc\":\"2.0\",\"id\":1,\"result\":\"\xff\"}",
      R"({"jsonrpc":"2.0","id":1,"result":)" + deep + "}",
  };
  for (const std::string& body : cases) {
    RemoteResult r = decodeResponse(body, 1);
    EXPECT_FALSE(r.ok) << body.substr(0, 80);
    EXPECT_EQ(r.error, "Resposta inválida do servidor de aplicação.") << body.substr(0, 80);
  }
}

TEST(EncodeCall, WritesEveryKindOfArgument) {
  const std::string json =
      encodeCall("GetPosEstq",
                 {Arg("01"), Arg(std::string("Razão \"X\"\n")), Arg(12), Arg(-7LL), Arg(2.5), Arg(true),
                  Arg(nullptr), Arg::packet(R"({"fields":[],"rows":[]})")},
                 42);
  EXPECT_EQ(json,
            R"({"jsonrpc":"2.0","method":"GetPosEstq","params":["01","Razão \"X\"\n",12,-7,2.5,true,null,)"
            R"({"fields":[],"rows":[]}],"id":42})");
}

TEST(EncodeCall, RefusesArgumentsWithNoJsonFormNamingThePosition) {
  try {
    encodeCall("GetItem", {Arg("01"), Arg("\xc3")}, 1);
    FAIL();
  } catch (const ArgumentError& e) {
    EXPECT_STREQ(e.what(), "Parâmetro 2 de GetItem: texto com UTF-8 inválido.");
  }
  try {
    encodeCall("SetQtd", {Arg(std::nan(""))}, 1);
    FAIL();
  } catch (const ArgumentError& e) {
    EXPECT_STREQ(e.what(), "Parâmetro 1 de SetQtd: número infinito ou indefinido.");
  }
}

}  // namespace
}  // namespace ped::netclient
