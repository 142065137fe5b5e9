// The file and folder calls that find a settings file's place: files made
// and removed on closing, copies, folders, the read-only attribute, the
// user's folders.
#include "system/files.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>

#include "platform/winapi.h"

namespace portable::system {

bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadOnlyFile(const struct stat& st) {
  return S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace portable::system

namespace win {

using portable::system::ReadOnlyFile;
using portable::system::WriteAll;

namespace {

// Open handles: the descriptor, and the path to remove on closing.
struct OpenFile {
  int fd;
  std::string deleteOnClose;
};
std::map<std::intptr_t, OpenFile>& OpenFiles() {
  static std::map<std::intptr_t, OpenFile> files;
  return files;
}

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD flags,
                   HANDLE) {
  if (!name || (disposition != OPEN_EXISTING && disposition != CREATE_NEW))
    return INVALID_HANDLE_VALUE();
  const bool write = (access & GENERIC_WRITE) != 0;
  int mode = write ? O_WRONLY : O_RDONLY;
  if (disposition == CREATE_NEW) mode |= O_CREAT | O_EXCL;
  const int fd = ::open(name, mode | O_CLOEXEC, 0666);
  if (fd < 0) return INVALID_HANDLE_VALUE();
  OpenFile f{fd, (flags & FILE_FLAG_DELETE_ON_CLOSE) ? std::string(name) : std::string()};
  const std::intptr_t id = fd + 1;
  OpenFiles()[id] = std::move(f);
  return reinterpret_cast<HANDLE>(id);
}

BOOL CloseHandle(HANDLE h) {
  auto& files = OpenFiles();
  const auto it = files.find(reinterpret_cast<std::intptr_t>(h));
  if (it == files.end()) return FALSE;
  if (!it->second.deleteOnClose.empty()) ::unlink(it->second.deleteOnClose.c_str());
  ::close(it->second.fd);
  files.erase(it);
  return TRUE;
}

BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists) {
  if (!existing || !target) return FALSE;
  const int in = ::open(existing, O_RDONLY | O_CLOEXEC);
  if (in < 0) return FALSE;
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return FALSE;
  }
  // The copy keeps the original's read-only state, as Windows copies it.
  const int out = ::open(target, O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC),
                         st.st_mode & 0666);
  if (out < 0) {
    ::close(in);
    return FALSE;
  }
  bool ok = true;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (!WriteAll(out, std::string(buf, static_cast<std::size_t>(n)))) {
      ok = false;
      break;
    }
  }
  ::close(in);
  if (ok) ok = ::fsync(out) == 0;
  if (::close(out) != 0) ok = false;
  if (!ok) ::unlink(target);  // never half a copy
  return ok ? TRUE : FALSE;
}

BOOL CreateDirectoryA(LPCSTR path, void*) {
  return path && ::mkdir(path, 0777) == 0 ? TRUE : FALSE;
}

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  struct stat st {};
  if (!path || ::stat(path, &st) != 0) return FALSE;
  mode_t mode = st.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
  } else if (ReadOnlyFile(st)) {
    mode |= S_IWUSR;
  }
  return ::chmod(path, mode) == 0 ? TRUE : FALSE;
}

HRESULT SHGetFolderPathA(HWND, int csidl, HANDLE, DWORD, LPSTR path) {
  constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
  constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
  if (!path) return E_INVALIDARG;
  path[0] = '\0';
  if ((csidl & 0xFF) != CSIDL_APPDATA) return E_INVALIDARG;
  // The user's settings folder as XDG names it: a relative value does not count.
  std::string folder;
  const char* config = ::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') {
    folder = config;
  } else {
    const char* home = ::getenv("HOME");
    if (!home || home[0] != '/') {
      const struct passwd* pw = ::getpwuid(::getuid());
      home = pw ? pw->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return E_FAIL;
    folder = std::string(home) + "/.config";
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.size() >= static_cast<std::size_t>(MAX_PATH)) return E_FAIL;
  if (csidl & CSIDL_FLAG_CREATE) {
    // Every missing folder on the way, private to the user as XDG asks.
    for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
      const std::string part = folder.substr(0, at);
      if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return E_FAIL;
      if (at == std::string::npos) break;
    }
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return E_FAIL;
  std::memcpy(path, folder.c_str(), folder.size() + 1);
  return S_OK;
}

}  // namespace win
