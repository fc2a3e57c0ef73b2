#include "console/safefile.h"

#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "console/console.h"

namespace hs {

std::string reasonof(int err) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c ? strerror_l(err, c) : fmt("errno %d", err);
}

bool writefilesafely(const std::string& name, const std::string& text, std::string* reason) {
  auto fail = [reason](int err) {
    if (reason) *reason = reasonof(err);
    return false;
  };
  // A replaced file keeps its permissions; a new one gets what the umask allows.
  mode_t mode;
  struct stat st;
  if (::stat(name.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  // The temporary file's name extends the file's own, so it lies in the
  // same folder and the rename cannot cross file systems.
  std::string tmp = name + ".XXXXXX";
  const int fd = ::mkstemp(&tmp[0]);
  if (fd < 0) return fail(errno);
  int err = 0;
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0 && err == 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno != EINTR) err = errno;
      continue;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  // A full disk may show only when the data reach it: sync before the rename.
  if (err == 0 && ::fchmod(fd, mode) != 0) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && std::rename(tmp.c_str(), name.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tmp.c_str());
    return fail(err);
  }
  return true;
}

}  // namespace hs
