#include "files/safefile.h"

#include <fcntl.h>
#include <limits.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace hs {

namespace {

// Writes all of text to fd; 0 or the errno of the failed write.
int writeall(int fd, const std::string& text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

// The folder part of a path, with its slash ("" for a name in the current folder).
std::string folderof(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The same file or folder behind two names that exist.
bool sameinode(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// The file a name finally stands for: symbolic links are followed (a link
// relative to the folder it lies in), so that the link stays a link and
// what it points to is written. 0, or ELOOP for a cycle of links.
int finaltarget(const std::string& name, std::string& path) {
  path = name;
  for (int hops = 0; hops <= 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size() - 1);
    if (n < 0) return errno;
    const std::string to(buf.data(), static_cast<std::size_t>(n));
    path = to[0] == '/' ? to : folderof(path) + to;
  }
  return ELOOP;
}

// A device, pipe or socket takes the text as it comes: it is opened (never
// created) and written, and nothing is renamed over it.
int writethrough(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno;
  int err = writeall(fd, text);
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

// The process's umask, read where the system shows it, so that no other
// thread creates a file in the instant the mask would be set to 0 to read it.
mode_t currentumask() {
  if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, f)) found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(f);
    if (found) return static_cast<mode_t>(mask);
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// A regular file (or a new one) is written to a temporary file in its
// folder and renamed over it, so it is either the old file or complete.
int writereplacing(const std::string& path, const std::string& text, const struct stat* old) {
  // A replaced file keeps its permissions; a new one gets what the umask allows.
  mode_t mode;
  if (old) {
    mode = old->st_mode & 07777;
  } else {
    mode = 0666 & ~currentumask();
  }
  // The temporary name is short and fixed in length, so any name the
  // folder allows can be written; lying in the same folder, the rename
  // cannot cross file systems.
  std::string tmp = folderof(path) + ".hybridsim-XXXXXX";
  const int fd = ::mkstemp(&tmp[0]);
  if (fd < 0) return errno;
  int err = writeall(fd, text);
  // A full disk may show only when the data reach it: sync before the rename.
  if (err == 0 && ::fchmod(fd, mode) != 0) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && std::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(tmp.c_str());
  return err;
}

}  // namespace

std::string reasonof(int err) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c ? strerror_l(err, c) : "errno " + std::to_string(err);
}

bool writefilesafely(const std::string& name, const std::string& text, std::string* reason) {
  // A device, pipe or socket behind the name, through any links (also the
  // system's own, such as /dev/stdout to a pipe, whose target is no path):
  // written through as the name opens it, or on the process's own standard
  // output or error when it is that (a socket cannot be opened by name).
  struct stat named;
  if (::stat(name.c_str(), &named) == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode)) {
    int err = 0;
    bool own = false;
    for (const int fd : {1, 2}) {
      struct stat st;
      if (own || ::fstat(fd, &st) != 0 || st.st_dev != named.st_dev || st.st_ino != named.st_ino) continue;
      own = true;
      std::fflush(fd == 1 ? stdout : stderr);
      err = writeall(fd, text);
    }
    if (!own) err = writethrough(name, text);
    if (err != 0 && reason) *reason = reasonof(err);
    return err == 0;
  }
  std::string path;
  int err = finaltarget(name, path);
  if (err == 0) {
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    const bool special = exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
    // A file the user may not write is not replaced either, as the shell's
    // redirection refuses it (a writable folder would let the rename pass).
    if (exists && S_ISREG(st.st_mode) && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
      err = errno;
    else
      err = special ? writethrough(path, text) : writereplacing(path, text, exists ? &st : nullptr);
  }
  if (err != 0 && reason) *reason = reasonof(err);
  return err == 0;
}

bool samefile(const std::string& a, const std::string& b) {
  if (a == b || sameinode(a, b)) return true;
  const std::string da = folderof(a), db = folderof(b);
  const std::string na = a.substr(da.size()), nb = b.substr(db.size());
  return !na.empty() && na == nb && sameinode(da.empty() ? "." : da, db.empty() ? "." : db);
}

}  // namespace hs
