// The request address on its own: its fixed pieces, the friends' list, the
// trimming, and values that a server gets back exactly as they were typed.
#include "mailer/request.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "mailer/query_parser.h"
#include "platform/text.h"

namespace {

using mailer::BuildRequest;
using mailer::EncodeQueryValue;
using mailer::FriendsList;
using mailertest::DecodeList;
using mailertest::ParseAddress;

using Friends = std::array<std::string, 5>;

TEST(Request, FriendsListHasFiveItemsAndFourCommas) {
  EXPECT_EQ(FriendsList({"a@b.c", "", "", "", ""}), "a@b.c,,,,");
  EXPECT_EQ(FriendsList({"", "", "", "", ""}), ",,,,");
  // Friends 1 and 3: two commas between them and two at the end.
  EXPECT_EQ(FriendsList({"a@b.c", "", "d@e.f", "", ""}), "a@b.c,,d@e.f,,");
  EXPECT_EQ(FriendsList({"", "", "", "", "e@f.g"}), ",,,,e@f.g");
  // Blank boxes give empty items.
  EXPECT_EQ(FriendsList({"   ", "a@b.c", " ", "", "  "}), ",a@b.c,,,");
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

// Every character that the address format treats specially, in every field,
// comes back out of a standard query parser exactly as typed.
TEST(Request, SpecialCharactersRoundTripInEveryField) {
  const std::string nasty = "Tom&amp #1 +x%41=y,z \xC3\xA9";
  for (int field = 0; field < 7; ++field) {
    Friends friends = {"a@b.c", "d@e.f", "g@h.i", "j@k.l", "m@n.o"};
    std::string own = "me@x.y";
    std::string name = "Bob";
    if (field < 5)
      friends[field] = nasty;
    else if (field == 5)
      own = nasty;
    else
      name = nasty;
    SCOPED_TRACE(field);
    const auto p = ParseAddress(BuildRequest("www.tamarel.example", friends, own, name));
    EXPECT_EQ(p.beforeQuery, "http://www.tamarel.example/emsoftware.php");
    EXPECT_EQ(p.fragment, "");
    ASSERT_EQ(p.pairs.size(), 4u);
    EXPECT_EQ(p.pairs[0].first, "s");
    EXPECT_EQ(p.pairs[0].second, "1");
    EXPECT_EQ(p.pairs[1].first, "te");
    EXPECT_EQ(p.pairs[2].first, "fe");
    EXPECT_EQ(p.pairs[2].second, own);
    EXPECT_EQ(p.pairs[3].first, "n");
    EXPECT_EQ(p.pairs[3].second, name);
    const auto items = DecodeList(p.rawPairs[1].second);
    ASSERT_EQ(items.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(items[i], friends[i]);
  }
}

TEST(Request, ACommaInsideAFriendStaysInThatItem) {
  const auto p =
      ParseAddress(BuildRequest("h.example", {"a@b.c,d@e.f", "", "", "", ""}, "m@x.y", "N"));
  EXPECT_EQ(p.rawPairs[1].second, "a@b.c%2Cd@e.f,,,,");
  EXPECT_EQ(DecodeList(p.rawPairs[1].second),
            std::vector<std::string>({"a@b.c,d@e.f", "", "", "", ""}));
}

TEST(Text, TextBoxBytesBecomeUtf8) {
  // What a text box hands over for "é", "ÿ" and "A": one byte each, the
  // same on both systems (the Western code page on Windows).
  EXPECT_EQ(plat::AnsiToUtf8("A\xE9\xFF"), "A\xC3\xA9\xC3\xBF");
  EXPECT_EQ(plat::AnsiToUtf8("plain@mail.example"), "plain@mail.example");
  EXPECT_EQ(plat::AnsiToUtf8(""), "");
}

}  // namespace
