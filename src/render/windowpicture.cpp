// Pictures saved from the window: the bytes come from the file pictures,
// written once to a private temporary file and then given the first free
// name of the case.
#include "render/windowpicture.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include <string>

#include "files/safefile.h"
#include "render/picture.h"

namespace hs {

namespace {

// Numbered names tried before giving up (a folder full of one case's pictures).
constexpr int MAXTRIES = 1000;

std::string infolder(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

// Gives the complete file `tmp` the name `path` unless a file has it: a
// hard link is made only where no file of that name exists, in one step, so
// two pictures saved in quick succession (or by two programs) cannot take
// the same name or replace a file. A file system without hard links gets the
// name claimed by an exclusive create and the file renamed over the claim.
// Returns 0 or the errno (EEXIST: the name is taken).
int claimname(const std::string& tmp, const std::string& path) {
  if (::link(tmp.c_str(), path.c_str()) == 0) return 0;
  const int err = errno;
  if (err != EPERM && err != EOPNOTSUPP && err != ENOSYS) return err;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  ::close(fd);
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    const int renameerr = errno;
    ::unlink(path.c_str());
    return renameerr;
  }
  return 0;
}

}  // namespace

int shownstep(const Run& run, const DisplayState& d) { return run.hist.clamp(d.frame); }

std::string picturename(const Run& run, const DisplayState& d, WindowPicture what, int n) {
  const SimSettings s = run.model ? run.model->set : SimSettings();
  std::string name = std::string("hybridsim-") + keyof(s.type) + keyof(s.hybrid) + keyof(s.curve);
  if (what == WindowPicture::Frame) name += "-" + std::to_string(shownstep(run, d));
  if (n > 0) name += "-" + std::to_string(n);
  return name + (what == WindowPicture::Frame ? ".png" : ".gif");
}

bool writepicture(const Run& run, const DisplayState& d, WindowPicture what,
                  const std::string& folder, std::string* pathout, std::string* reasonout) {
  const bool movie = what == WindowPicture::Movie;
  const std::string bytes =
      movie ? gifbytes(run, d) : framebytes(run, shownstep(run, d), PictureFormat::Png, d);
  // The temporary file lies in the same folder, so the link cannot cross
  // file systems; the process id and a count keep every save's file apart.
  static std::atomic<unsigned> saves{0};
  std::string path = infolder(folder, picturename(run, d, what, 0));
  const std::string tmp = path + "." + std::to_string(static_cast<long>(::getpid())) + "-" +
                          std::to_string(saves++) + ".tmp";
  std::string reason;
  bool saved = writefilesafely(tmp, bytes, &reason);
  if (saved) {
    int err = EEXIST;
    for (int n = 0; n < MAXTRIES && err == EEXIST; ++n) {
      path = infolder(folder, picturename(run, d, what, n));
      err = claimname(tmp, path);
    }
    ::unlink(tmp.c_str());
    saved = err == 0;
    if (!saved) reason = reasonof(err);
  }
  if (pathout) *pathout = path;
  if (!saved && reasonout) *reasonout = reason;
  return saved;
}

}  // namespace hs
