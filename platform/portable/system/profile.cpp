// Settings files in the Windows private-profile format, with Windows'
// rules: section and key names compare without regard to case, blanks
// around names and values do not count, the first of duplicate sections and
// keys wins. A write changes only the line it must (or adds the section and
// key) and keeps every other byte; it writes a new file and renames it over
// the old one, so a failure never leaves half a file. Where the folder
// refuses a new file but the file itself may be written, it is written in
// place, as Windows writes it.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/winapi.h"
#include "system/files.h"

namespace win {

using portable::system::WriteAll;

namespace {

bool IsBlankChar(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}
std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlankChar(s.front())) s.remove_prefix(1);
  return s;
}
std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlankChar(s.back())) s.remove_suffix(1);
  return s;
}
std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

enum class Kind { Blank, Section, Key };

struct Line {
  std::string text;  // without its line end
  std::string eol;   // "\r\n", "\n" or "" (the last line without one)
  Kind kind = Kind::Blank;
  std::string name;  // section or key name
  bool hasValue = false;
  std::string value;
};

void Classify(Line& l) {
  const std::string_view s = TrimLeft(l.text);
  l.name.clear();
  l.value.clear();
  l.hasValue = false;
  if (s.empty()) {
    l.kind = Kind::Blank;
    return;
  }
  if (s.front() == '[') {
    const std::size_t close = s.rfind(']');
    if (close != std::string_view::npos) {
      l.kind = Kind::Section;
      l.name = std::string(s.substr(1, close - 1));
      return;
    }
  }
  l.kind = Kind::Key;
  const std::string_view t = TrimRight(s);
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) {
    l.name = std::string(t);
  } else {
    l.name = std::string(TrimRight(t.substr(0, eq)));
    l.hasValue = true;
    l.value = std::string(TrimLeft(t.substr(eq + 1)));
  }
}

struct Profile {
  std::string bom;  // a UTF-8 mark at the start, kept as it was
  std::vector<Line> lines;
  std::string defaultEol = "\r\n";
};

enum class LoadResult { Ok, Missing, Unreadable };

LoadResult Load(const char* path, Profile& p) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return errno == ENOENT || errno == ENOTDIR ? LoadResult::Missing : LoadResult::Unreadable;
  std::string data;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return LoadResult::Unreadable;
    }
    if (n == 0) break;
    data.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  std::size_t pos = 0;
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    p.bom = data.substr(0, 3);
    pos = 3;
  }
  bool eolSeen = false;
  while (pos < data.size()) {
    const std::size_t nl = data.find('\n', pos);
    Line l;
    if (nl == std::string::npos) {
      l.text = data.substr(pos);
      pos = data.size();
    } else {
      std::size_t end = nl;
      if (end > pos && data[end - 1] == '\r') {
        --end;
        l.eol = "\r\n";
      } else {
        l.eol = "\n";
      }
      l.text = data.substr(pos, end - pos);
      pos = nl + 1;
      if (!eolSeen) {
        p.defaultEol = l.eol;
        eolSeen = true;
      }
    }
    Classify(l);
    p.lines.push_back(std::move(l));
  }
  return LoadResult::Ok;
}

// The first section of that name: index of its header, or -1.
long FindSection(const Profile& p, std::string_view name) {
  if (name.empty()) return -1;
  for (std::size_t i = 0; i < p.lines.size(); ++i) {
    if (p.lines[i].kind == Kind::Section && SameName(p.lines[i].name, name)) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

// One past the last line of the section that starts at `header`.
std::size_t SectionEnd(const Profile& p, std::size_t header) {
  std::size_t i = header + 1;
  while (i < p.lines.size() && p.lines[i].kind != Kind::Section) ++i;
  return i;
}

long FindKey(const Profile& p, std::size_t header, std::string_view key) {
  if (key.empty()) return -1;
  const std::size_t end = SectionEnd(p, header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (p.lines[i].kind == Kind::Key && SameName(p.lines[i].name, key)) return static_cast<long>(i);
  }
  return -1;
}

// Copies `s` as far as it fits, always terminated; the count copied.
DWORD CopyOut(std::string_view s, LPSTR out, DWORD size) {
  if (!out || size == 0) return 0;
  const std::size_t n = std::min<std::size_t>(s.size(), size - 1);
  std::memcpy(out, s.data(), n);
  out[n] = '\0';
  return static_cast<DWORD>(n);
}

// Names one after another, each ended by a zero, the list by another one.
DWORD CopyList(const std::vector<std::string>& names, LPSTR out, DWORD size) {
  if (!out || size == 0) return 0;
  if (size == 1) {
    out[0] = '\0';
    return 0;
  }
  std::string all;
  for (const auto& n : names) {
    all += n;
    all.push_back('\0');
  }
  if (all.size() + 1 <= size) {
    std::memcpy(out, all.data(), all.size());
    out[all.size()] = '\0';
    return static_cast<DWORD>(all.size() == 0 ? 0 : all.size());
  }
  // Cut short: Windows reports the buffer size minus two.
  std::memcpy(out, all.data(), size - 2);
  out[size - 2] = '\0';
  out[size - 1] = '\0';
  return size - 2;
}

std::string ValueOf(std::string_view v) {
  // A value in matching quotes is read without them.
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return std::string(v.substr(1, v.size() - 2));
  }
  return std::string(v);
}

bool HasLineBreak(LPCSTR s) { return s && std::strpbrk(s, "\r\n") != nullptr; }

// The file the path stands for: the target of a link, so the link stays.
std::string RealTarget(const char* path) {
  struct stat st {};
  if (::lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path, resolved)) return resolved;
  }
  return path;
}

// A folder the user may not add to (an installation's) holding a file they
// may write: written over, then cut to its new length.
bool SaveInPlace(const std::string& target, const std::string& data) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data);
  if (ok) ok = ::ftruncate(fd, static_cast<off_t>(data.size())) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  return ok;
}

bool Save(const char* path, const Profile& p) {
  std::string data = p.bom;
  for (const auto& l : p.lines) data += l.text + l.eol;
  const std::string target = RealTarget(path);
  struct stat st {};
  const bool existed = ::stat(target.c_str(), &st) == 0;
  // The rename below would replace even a file we may not write to; such a
  // file is refused, as Windows refuses a read-only one.
  if (existed && ::access(target.c_str(), W_OK) != 0) return false;
  static unsigned counter = 0;
  const std::string tmp =
      target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return existed && errno == EACCES && SaveInPlace(target, data);
  bool ok = WriteAll(fd, data);
  // The new file keeps the old one's permissions.
  if (ok && existed) (void)::fchmod(fd, st.st_mode & 07777);
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR def, LPSTR out, DWORD size,
                               LPCSTR file) {
  if (!out || size == 0) return 0;
  out[0] = '\0';
  const std::string_view defText = TrimRight(def ? std::string_view(def) : std::string_view());
  Profile p;
  const LoadResult loaded = file ? Load(file, p) : LoadResult::Missing;
  if (!app) {
    std::vector<std::string> names;
    for (const auto& l : p.lines)
      if (l.kind == Kind::Section && !l.name.empty()) names.push_back(l.name);
    return CopyList(names, out, size);
  }
  const std::string_view section = Trim(app);
  if (!key) {
    std::vector<std::string> names;
    const long s = loaded == LoadResult::Ok ? FindSection(p, section) : -1;
    if (s >= 0) {
      const std::size_t end = SectionEnd(p, static_cast<std::size_t>(s));
      for (std::size_t i = static_cast<std::size_t>(s) + 1; i < end; ++i)
        if (p.lines[i].kind == Kind::Key && !p.lines[i].name.empty())
          names.push_back(p.lines[i].name);
    }
    return CopyList(names, out, size);
  }
  const std::string_view keyName = Trim(key);
  if (keyName.empty()) return 0;
  if (loaded == LoadResult::Ok) {
    const long s = FindSection(p, section);
    const long k = s >= 0 ? FindKey(p, static_cast<std::size_t>(s), keyName) : -1;
    if (k >= 0 && p.lines[static_cast<std::size_t>(k)].hasValue) {
      return CopyOut(ValueOf(p.lines[static_cast<std::size_t>(k)].value), out, size);
    }
  }
  return CopyOut(ValueOf(defText), out, size);
}

BOOL WritePrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR value, LPCSTR file) {
  if (!app || !file) return FALSE;
  // A line break would turn one value into further lines of the file.
  if (HasLineBreak(app) || HasLineBreak(key) || HasLineBreak(value)) return FALSE;
  const std::string section(Trim(app));
  if (section.empty()) return FALSE;
  Profile p;
  const LoadResult loaded = Load(file, p);
  if (loaded == LoadResult::Unreadable) return FALSE;  // never replace what we cannot read
  const long s = FindSection(p, section);
  if (!key) {  // remove the section
    if (s < 0) return TRUE;
    const std::size_t end = SectionEnd(p, static_cast<std::size_t>(s));
    p.lines.erase(p.lines.begin() + s, p.lines.begin() + static_cast<long>(end));
    return Save(file, p) ? TRUE : FALSE;
  }
  const std::string keyName(Trim(key));
  if (keyName.empty()) return FALSE;
  const long k = s >= 0 ? FindKey(p, static_cast<std::size_t>(s), keyName) : -1;
  if (!value) {  // remove the key
    if (k < 0) return TRUE;
    p.lines.erase(p.lines.begin() + k);
    return Save(file, p) ? TRUE : FALSE;
  }
  const std::string newValue(TrimLeft(value));
  if (k >= 0) {
    Line& l = p.lines[static_cast<std::size_t>(k)];
    if (l.hasValue && l.value == newValue) return TRUE;  // nothing to change
    l.text = l.name + "=" + newValue;
    Classify(l);
    return Save(file, p) ? TRUE : FALSE;
  }
  Line kl;
  kl.text = keyName + "=" + newValue;
  kl.eol = p.defaultEol;
  Classify(kl);
  if (s >= 0) {
    // After the section's last line that is not blank.
    std::size_t at = SectionEnd(p, static_cast<std::size_t>(s));
    while (at > static_cast<std::size_t>(s) + 1 && p.lines[at - 1].kind == Kind::Blank) --at;
    if (p.lines[at - 1].eol.empty()) p.lines[at - 1].eol = p.defaultEol;
    p.lines.insert(p.lines.begin() + static_cast<long>(at), std::move(kl));
  } else {
    if (!p.lines.empty() && p.lines.back().eol.empty()) p.lines.back().eol = p.defaultEol;
    Line sl;
    sl.text = "[" + section + "]";
    sl.eol = p.defaultEol;
    Classify(sl);
    p.lines.push_back(std::move(sl));
    p.lines.push_back(std::move(kl));
  }
  return Save(file, p) ? TRUE : FALSE;
}

}  // namespace win
