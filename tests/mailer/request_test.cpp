// The request address on its own: its fixed pieces, the friends' list, the
// trimming and the encoding. (That a server reads back exactly what was
// typed is the end-to-end run's, through a real browser.)
#include "mailer/request.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/text.h"

namespace {

using mailer::BuildRequest;
using mailer::EncodeQueryValue;
using mailer::FriendsList;

TEST(Request, FriendsListHasFiveItemsAndFourCommas) {
  EXPECT_EQ(FriendsList({"a@b.c", "", "", "", ""}), "a@b.c,,,,");
  EXPECT_EQ(FriendsList({"", "", "", "", ""}), ",,,,");
  // Friends 1 and 3: two commas between them and two at the end.
  EXPECT_EQ(FriendsList({"a@b.c", "", "d@e.f", "", ""}), "a@b.c,,d@e.f,,");
  EXPECT_EQ(FriendsList({"", "", "", "", "e@f.g"}), ",,,,e@f.g");
  // Blank boxes give empty items.
  EXPECT_EQ(FriendsList({"   ", "a@b.c", " ", "", "  "}), ",a@b.c,,,");
  // A comma inside an address stays in its item.
  EXPECT_EQ(FriendsList({"a@b.c,d@e.f", "", "", "", ""}), "a@b.c%2Cd@e.f,,,,");
}

TEST(Request, OnlyLeadingAndTrailingSpacesGo) {
  const std::string a =
      BuildRequest("h.example", {"  a@b.c  ", "", "", "", ""}, " me@x.y", "  Mary Ann  ");
  EXPECT_EQ(a, "http://h.example/emsoftware.php?s=1&te=a@b.c,,,,&fe=me@x.y&n=Mary%20Ann");
  // A tab is content, not trimmed.
  EXPECT_EQ(FriendsList({"\ta@b.c", "", "", "", ""}), "%09a@b.c,,,,");
}

TEST(Request, EncodingKeepsUnreservedAndAtOnly) {
  EXPECT_EQ(EncodeQueryValue("AZaz09-._~@"), "AZaz09-._~@");
  EXPECT_EQ(EncodeQueryValue(" &#+%=,?/:;'\"<>"), "%20%26%23%2B%25%3D%2C%3F%2F%3A%3B%27%22%3C%3E");
  EXPECT_EQ(EncodeQueryValue("\xC3\xA9"), "%C3%A9");  // é as its UTF-8 bytes
  EXPECT_EQ(EncodeQueryValue(std::string("a\0b", 3)), "a%00b");
  EXPECT_EQ(EncodeQueryValue("\r\n\x7F\xFF"), "%0D%0A%7F%FF");
  EXPECT_EQ(EncodeQueryValue(""), "");
}

TEST(Text, TextBoxBytesBecomeUtf8) {
  // What a text box hands over for "é", "ÿ" and "A": one byte each, the
  // same on both systems (the Western code page on Windows).
  EXPECT_EQ(plat::AnsiToUtf8("A\xE9\xFF"), "A\xC3\xA9\xC3\xBF");
  EXPECT_EQ(plat::AnsiToUtf8("plain@mail.example"), "plain@mail.example");
  EXPECT_EQ(plat::AnsiToUtf8(""), "");
}

}  // namespace
