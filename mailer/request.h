// The recommendation request: one web address on the maker's server whose
// query carries the friends' addresses, the sender's address and first name.
#pragma once

#include <array>
#include <string>

namespace mailer {

// A value as a query component: unreserved characters (letters, digits,
// "-", ".", "_", "~") and "@" stay, every other byte becomes %XX (upper-case
// hex; a space is %20). `utf8` is UTF-8, so characters outside ASCII go as
// their UTF-8 bytes. A server that decodes its query gets `utf8` back.
std::string EncodeQueryValue(const std::string& utf8);

// The five friends, each trimmed of leading and trailing spaces and encoded,
// joined by literal ",": always five items and four commas.
std::string FriendsList(const std::array<std::string, 5>& friends);

// "http://" host "/emsoftware.php?s=1&te=" friends "&fe=" own "&n=" name;
// every value trimmed of leading and trailing spaces and encoded. The texts
// are UTF-8.
std::string BuildRequest(const std::string& host, const std::array<std::string, 5>& friends,
                         const std::string& ownAddress, const std::string& firstName);

}  // namespace mailer
