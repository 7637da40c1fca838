#include "sql/named_params.h"

#include <gtest/gtest.h>

namespace ped::sql {
namespace {

TEST(NamedParameters, BecomePositionalOutsideQuotesCommentsAndCasts) {
  const PositionalSql p = toPositional(
      "SELECT ':NAO', \"a:b\", x::text -- :TAMBEM_NAO\n"
      "FROM T /* :NEM_ESTE */ WHERE A = :P_CDFILIAL AND B = :p_nr AND C = :P_CDFILIAL AND D = 'it''s :X'");
  EXPECT_EQ(p.text,
            "SELECT ':NAO', \"a:b\", x::text -- :TAMBEM_NAO\n"
            "FROM T /* :NEM_ESTE */ WHERE A = $1 AND B = $2 AND C = $1 AND D = 'it''s :X'");
  EXPECT_EQ(p.names, (std::vector<std::string>{"P_CDFILIAL", "P_NR"}));
}

TEST(NamedParameters, UnterminatedQuotesAndTrailingColonsStayAsWritten) {
  EXPECT_EQ(toPositional("SELECT 'aberto :X").text, "SELECT 'aberto :X");
  EXPECT_EQ(toPositional("SELECT 1:").text, "SELECT 1:");
  EXPECT_EQ(toPositional("SELECT :1").text, "SELECT :1");
  EXPECT_TRUE(toPositional("/* sem fim :X").names.empty());
}

}  // namespace
}  // namespace ped::sql
