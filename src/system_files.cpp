// The checker's calls into the operating system, all of them: POSIX, or Windows through its C
// runtime's descriptors and its wide-character API.
#include "system_files.hpp"

#include <algorithm>
#include <cerrno>

#if defined(_WIN32)
// windows.h comes first, since shellapi.h builds on it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

std::wstring extended_length_path(std::wstring_view full_path) {
  constexpr std::size_t kShortest = 260;  // MAX_PATH counts the terminating NUL
  if (full_path.size() < kShortest || full_path.starts_with(L"\\\\?\\") ||
      full_path.starts_with(L"\\\\.\\"))
    return std::wstring(full_path);
  if (full_path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + std::wstring(full_path.substr(2));
  return L"\\\\?\\" + std::wstring(full_path);
}

#if defined(_WIN32)

namespace {

// Calls of the C runtime on a descriptor that is not open (a closed standard output) then fail
// with EBADF rather than end the process.
void ignore_invalid_parameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned,
                              std::uintptr_t) {}

std::wstring wide_of(const char* utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), size);
  wide.pop_back();  // the terminating NUL, which the string keeps apart
  return wide;
}

std::string utf8_of(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back();
  return utf8;
}

// The UTF-8 `path` as CreateFileW takes it at any length: made whole (GetFullPathNameW also turns
// "/" into "\\", which the long form needs) and given the long form where it is long.
std::wstring windows_path(const char* utf8) {
  const std::wstring path = wide_of(utf8);
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
  return full.size() < size ? extended_length_path(full) : path;
}

// The errno whose text says what a failed CreateFileW found, as the same failure reads on POSIX.
int errno_of(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EIO;
  }
}

bool is_directory(int fd) {
  BY_HANDLE_FILE_INFORMATION information;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  return GetFileInformationByHandle(handle, &information) != 0 &&
         (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool is_regular(int fd) {
  struct _stat64 status;
  return _fstat64(fd, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}

// The C runtime reads and writes at most INT_MAX bytes a call.
constexpr std::size_t kMostPerCall = std::size_t{1} << 30;

}  // namespace

void prepare_process() {
  _set_invalid_parameter_handler(ignore_invalid_parameter);
  // Lines end in "\n" alone, as on every other system: neither standard output nor standard
  // error (where judges read messages) may add "\r".
  _setmode(1, _O_BINARY);
  _setmode(2, _O_BINARY);
}

CommandLine command_line(int argc, char** argv) {
  CommandLine line;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    line.converted.assign(argv, argv + argc);
  } else {
    try {
      for (int i = 0; i < count; ++i)
        line.converted.push_back(utf8_of(wide[i]));
    } catch (...) {
      LocalFree(wide);
      throw;
    }
    LocalFree(wide);
  }
  for (const std::string& argument : line.converted)
    line.converted_texts.push_back(argument.c_str());
  line.count = static_cast<int>(line.converted_texts.size());
  line.texts = line.converted_texts.data();
  return line;
}

OpenedFile open_for_reading(const char* path) {
  // Backup semantics let a directory open too, so that it fails at its first read with the
  // same reason as on POSIX. The handle is not inherited, and is read in binary mode: no
  // Ctrl-Z ends the file and no "\r\n" is folded.
  const HANDLE handle = CreateFileW(windows_path(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {-1, errno_of(GetLastError())};
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    const int saved_errno = errno;
    CloseHandle(handle);
    return {-1, saved_errno};
  }
  return {fd, 0};
}

OpenedFile open_regular_for_reading(const char* path) {
  const OpenedFile file = open_for_reading(path);
  if (file.fd >= 0 && !is_regular(file.fd)) {
    _close(file.fd);
    return {-1, EINVAL};
  }
  return file;
}

bool rewind_regular(int fd) {
  return is_regular(fd) && _lseeki64(fd, 0, SEEK_SET) == 0;
}

OpenedFile standard_input() {
  _setmode(0, _O_BINARY);
  return {0, 0};
}

std::ptrdiff_t read_file(int fd, char* into, std::size_t capacity) {
  const int got = _read(fd, into, static_cast<unsigned>(std::min(capacity, kMostPerCall)));
  if (got < 0 && is_directory(fd)) errno = EISDIR;
  return got;
}

std::uint64_t regular_file_size(int fd) {
  struct _stat64 status;
  if (_fstat64(fd, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

void close_file(int fd) {
  _close(fd);
}

OpenedFile open_for_writing(const char* path) {
  const HANDLE handle = CreateFileW(windows_path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {-1, errno_of(GetLastError())};
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    const int saved_errno = errno;
    CloseHandle(handle);
    return {-1, saved_errno};
  }
  return {fd, 0};
}

int close_written(int fd) {
  return _close(fd) != 0 ? errno : 0;
}

bool same_file(const char* a, const char* b) {
  const auto identity = [](const char* path, BY_HANDLE_FILE_INFORMATION& information) {
    const HANDLE handle = CreateFileW(windows_path(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(handle, &information) != 0;
    CloseHandle(handle);
    return known;
  };
  BY_HANDLE_FILE_INFORMATION first, second;
  return identity(a, first) && identity(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const int written =
        _write(fd, bytes.data(), static_cast<unsigned>(std::min(bytes.size(), kMostPerCall)));
    if (written < 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

#else

void prepare_process() {
  // A reader of standard output that goes away must not end the run, nor a file that reaches a
  // size limit (`ulimit -f`, which judges set): their writes fail instead.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
}

CommandLine command_line(int argc, char** argv) {
  CommandLine line;
  line.count = argc;
  line.texts = argv;
  return line;
}

OpenedFile open_for_reading(const char* path) {
  for (;;) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) return {fd, 0};
    if (errno != EINTR) return {-1, errno};
  }
}

OpenedFile open_regular_for_reading(const char* path) {
  OpenedFile file;
  do {
    file.fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (file.fd < 0 && errno == EINTR);
  if (file.fd < 0) return {-1, errno};
  struct stat status;
  if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(file.fd);
    return {-1, EINVAL};
  }
  ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
  return file;
}

bool rewind_regular(int fd) {
  struct stat status;
  return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::lseek(fd, 0, SEEK_SET) == 0;
}

OpenedFile standard_input() {
  return {0, 0};
}

std::ptrdiff_t read_file(int fd, char* into, std::size_t capacity) {
  for (;;) {
    const ssize_t got = ::read(fd, into, capacity);
    if (got >= 0) return got;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{fd, POLLIN, 0};
      ::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      return got;
    }
  }
}

std::uint64_t regular_file_size(int fd) {
  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

void close_file(int fd) {
  ::close(fd);
}

OpenedFile open_for_writing(const char* path) {
  for (;;) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) return {fd, 0};
    if (errno != EINTR) return {-1, errno};
  }
}

int close_written(int fd) {
  return ::close(fd) != 0 ? errno : 0;
}

bool same_file(const char* a, const char* b) {
  struct stat first, second;
  return ::stat(a, &first) == 0 && ::stat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{fd, POLLOUT, 0};
      ::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

#endif

std::string file_in_folder(std::string_view folder, std::string_view name) {
#if defined(_WIN32)
  constexpr std::string_view kSeparators = "/\\";
#else
  constexpr std::string_view kSeparators = "/";
#endif
  std::string path(folder);
  if (path.empty() || kSeparators.find(path.back()) == std::string_view::npos) path += '/';
  return path.append(name);
}
