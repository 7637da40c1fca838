#include "server/auth/password.h"

#include <gtest/gtest.h>

namespace ped::server::auth {
namespace {

TEST(Passwords, AreStoredSaltedAndCheckedExactly) {
  const std::string hash = hashPassword("s3nha-Forte");
  EXPECT_NE(hash.find("$argon2id$"), std::string::npos);
  EXPECT_NE(hash, hashPassword("s3nha-Forte"));  // salted
  EXPECT_TRUE(verifyPassword("s3nha-Forte", hash));
  EXPECT_FALSE(verifyPassword("s3nha-forte", hash));
  EXPECT_FALSE(verifyPassword("", hash));
  EXPECT_FALSE(verifyPassword("s3nha-Forte", ""));
  EXPECT_FALSE(verifyPassword("s3nha-Forte", "lixo"));
}

TEST(Sessions, TokensAreRandomAndKeptOnlyAsHashes) {
  const std::string a = newSessionToken(), b = newSessionToken();
  EXPECT_EQ(a.size(), 64u);
  EXPECT_NE(a, b);
  EXPECT_EQ(sessionKey(a), sessionKey(a));
  EXPECT_NE(sessionKey(a), a);
  EXPECT_NE(sessionKey(a), sessionKey(b));
}

}  // namespace
}  // namespace ped::server::auth
