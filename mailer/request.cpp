#include "mailer/request.h"

#include "platform/rules.h"

namespace mailer {

namespace {
bool KeptAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '@';
}
}  // namespace

std::string EncodeQueryValue(const std::string& utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size());
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (KeptAsIs(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string FriendsList(const std::array<std::string, 5>& friends) {
  std::string list;
  for (std::size_t i = 0; i < friends.size(); ++i) {
    if (i > 0) list += ',';
    list += EncodeQueryValue(plat::Trim(friends[i]));
  }
  return list;
}

std::string BuildRequest(const std::string& host, const std::array<std::string, 5>& friends,
                         const std::string& ownAddress, const std::string& firstName) {
  return "http://" + host + "/emsoftware.php?s=1&te=" + FriendsList(friends) +
         "&fe=" + EncodeQueryValue(plat::Trim(ownAddress)) +
         "&n=" + EncodeQueryValue(plat::Trim(firstName));
}

}  // namespace mailer
