#include "platform/rules.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/errors.h"

namespace plat {

double RoundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  const double f = std::floor(v);
  const double d = v - f;
  if (d < 0.5) return f;
  if (d > 0.5) return f + 1;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

std::optional<std::int16_t> ToInt16(double v) {
  const double r = RoundHalfEven(v);
  if (!std::isfinite(r) || r < -32768.0 || r > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> ToInt32(double v) {
  const double r = RoundHalfEven(v);
  if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(r);
}

namespace {

// Length of the decimal number at the start of `s` ([sign] digits [. digits]
// [e|E [sign] digits]), or 0 when there is none. The exponent is taken only
// when it has digits.
std::size_t NumberPrefix(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i;
}

// Reads an already validated number; from_chars does not follow the locale.
double ReadNumber(std::string_view s) {
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  double v = 0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    // Too small is zero; too large keeps its sign as an infinity, which fails
    // every conversion.
    const std::size_t e = s.find_first_of("eE");
    if (e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-') return 0.0;
    return s[0] == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  return v;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  const std::string_view s = text.substr(b, e - b);
  if (s.empty()) return std::nullopt;
  const std::size_t n = NumberPrefix(s);
  if (n != s.size()) return std::nullopt;
  return ReadNumber(s);
}

std::optional<std::int16_t> TextToInt16(std::string_view text) {
  const auto v = ParseNumber(text);
  if (!v) return std::nullopt;
  return ToInt16(*v);
}

double LeadingNumber(std::string_view text) {
  // Blanks are ignored wherever they stand, as the rule reads numbers.
  std::string packed;
  packed.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') packed.push_back(c);
  }
  const std::size_t n = NumberPrefix(packed);
  if (n == 0) return 0.0;
  return ReadNumber(std::string_view(packed).substr(0, n));
}

std::string Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  return std::string(text.substr(b, e - b));
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string UpperAscii(std::string_view text) {
  std::string s(text);
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

std::string LowerAscii(std::string_view text) {
  std::string s(text);
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

std::string NumberText(double v) {
  if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
    return buf;
  }
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

std::int32_t TwipsToPixels(float twips, float twipsPerPixel) {
  const auto t = ToInt32(twips);
  const auto p = ToInt32(twipsPerPixel);
  if (!t || !p) Raise(ErrorKind::Overflow);
  return Div32(*t, *p);
}

}  // namespace plat
