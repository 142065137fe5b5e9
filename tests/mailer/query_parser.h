// A query parser as a web server has one: the part after "?" split on "&",
// each pair at its first "=", both halves percent-decoded ("+" is left as
// it is: our values never carry a raw one).
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace mailertest {

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

inline std::string PercentDecode(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

inline std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = s.find(sep, start);
    parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

struct ParsedAddress {
  std::string beforeQuery;                                    // scheme, host and path
  std::string fragment;                                       // what a browser would keep to itself
  std::vector<std::pair<std::string, std::string>> pairs;     // in order, decoded
  std::vector<std::pair<std::string, std::string>> rawPairs;  // in order, as sent
};

// The friends' list: split at the literal commas, then each item decoded.
inline std::vector<std::string> DecodeList(const std::string& raw) {
  std::vector<std::string> items;
  for (const std::string& item : Split(raw, ',')) items.push_back(PercentDecode(item));
  return items;
}

inline ParsedAddress ParseAddress(const std::string& address) {
  ParsedAddress p;
  std::string rest = address;
  const std::size_t hash = rest.find('#');
  if (hash != std::string::npos) {
    p.fragment = rest.substr(hash + 1);
    rest.resize(hash);
  }
  const std::size_t q = rest.find('?');
  p.beforeQuery = rest.substr(0, q);
  if (q == std::string::npos) return p;
  for (const std::string& item : Split(rest.substr(q + 1), '&')) {
    const std::size_t eq = item.find('=');
    const std::string key = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
    p.rawPairs.emplace_back(key, value);
    p.pairs.emplace_back(PercentDecode(key), PercentDecode(value));
  }
  return p;
}

}  // namespace mailertest
