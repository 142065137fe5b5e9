// The request address on its own: the friends' list and the encoding. (The
// whole address, trimmed, is the form test's; that a server reads back
// exactly what was typed, é included, is the end-to-end run's.)
#include "mailer/request.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using mailer::EncodeQueryValue;
using mailer::FriendsList;

TEST(Request, FriendsListHasFiveItemsAndFourCommas) {
  EXPECT_EQ(FriendsList({"", "", "", "", ""}), ",,,,");
  EXPECT_EQ(FriendsList({"", "", "", "", "e@f.g"}), ",,,,e@f.g");
  // Blank boxes give empty items; a tab is content, not trimmed.
  EXPECT_EQ(FriendsList({"   ", "a@b.c", " ", "\tx", "  "}), ",a@b.c,,%09x,");
  // A comma inside an address stays in its item.
  EXPECT_EQ(FriendsList({"a@b.c,d@e.f", "", "", "", ""}), "a@b.c%2Cd@e.f,,,,");
}

TEST(Request, EncodingKeepsUnreservedAndAtOnly) {
  EXPECT_EQ(EncodeQueryValue("AZaz09-._~@"), "AZaz09-._~@");
  EXPECT_EQ(EncodeQueryValue(" &#+%=,?/:;'\"<>"), "%20%26%23%2B%25%3D%2C%3F%2F%3A%3B%27%22%3C%3E");
  EXPECT_EQ(EncodeQueryValue("\xC3\xA9"), "%C3%A9");  // é as its UTF-8 bytes
  EXPECT_EQ(EncodeQueryValue(std::string("a\0b", 3)), "a%00b");
  EXPECT_EQ(EncodeQueryValue("\r\n\x7F\xFF"), "%0D%0A%7F%FF");
  EXPECT_EQ(EncodeQueryValue(""), "");
}

}  // namespace
