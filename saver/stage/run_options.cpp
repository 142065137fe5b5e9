#include "saver/stage/run_options.h"

#include <cstddef>
#include <limits>

namespace stage {

namespace {

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

// Whole text as an unsigned number of the base, at most `max`; false when
// anything else is in it.
bool ParseUnsigned(const std::string& text, std::size_t start, int base, std::uint64_t max,
                   std::uint64_t* out) {
  if (start >= text.size()) return false;
  std::uint64_t v = 0;
  for (std::size_t i = start; i < text.size(); ++i) {
    const int d = DigitValue(text[i], base);
    if (d < 0) return false;
    if (v > (max - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)) return false;
    v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  *out = v;
  return true;
}

// "--name" and "-name" are the same option.
std::string OptionName(const std::string& arg) {
  if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-') return arg.substr(1);
  return arg;
}

}  // namespace

std::uint64_t ParseWindowId(const std::string& text) {
  std::uint64_t id = 0;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (!ParseUnsigned(text, hex ? 2 : 0, hex ? 16 : 10, std::numeric_limits<std::uint64_t>::max(),
                     &id))
    return 0;
  return id;
}

RunOptions ParseRunOptions(const std::vector<std::string>& args, const char* xscreensaverWindow) {
  static const char* const kCountNames[] = {"-yellow", "-red", "-rose", "-white"};
  constexpr std::uint64_t kMostFlowers = 10;
  RunOptions o;
  o.hosted = xscreensaverWindow != nullptr;
  // A value is taken only when it is well formed; otherwise the word after
  // the option is read as an option of its own.
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string name = OptionName(args[i]);
    const bool hasValue = i + 1 < args.size();
    if (name == "-frames") {
      std::uint64_t n = 0;
      // Up to 2^62 frames: far beyond any run, and no overflow when counted.
      if (hasValue && ParseUnsigned(args[i + 1], 0, 10, std::uint64_t{1} << 62, &n)) {
        o.frames = static_cast<std::int64_t>(n);
        ++i;
      }
    } else if (name == "-snapshot") {
      if (hasValue && !args[i + 1].empty()) o.snapshot = args[++i];
    } else if (name == "-virtual-clock") {
      o.virtualClock = true;
    } else if (name == "-root") {
      o.hosted = true;
      if (xscreensaverWindow) {
        const std::uint64_t id = ParseWindowId(xscreensaverWindow);
        if (id != 0) o.hostWindow = id;
      }
    } else if (name == "-window-id") {
      o.hosted = true;
      const std::uint64_t id = hasValue ? ParseWindowId(args[i + 1]) : 0;
      if (id != 0) {
        o.hostWindow = id;
        ++i;
      }
    } else {
      for (int k = 0; k < 4; ++k) {
        std::uint64_t n = 0;
        if (name == kCountNames[k] && hasValue &&
            ParseUnsigned(args[i + 1], 0, 10, kMostFlowers, &n)) {
          o.counts[k] = static_cast<std::int16_t>(n);
          ++i;
        }
      }
    }
  }
  return o;
}

}  // namespace stage
