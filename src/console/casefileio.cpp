// The text of a robot data file from disk.
#include <cerrno>
#include <cstdio>
#include <string>

#include "console/datafile.h"
#include "files/safefile.h"

namespace hs {

// A case is a few hundred bytes; anything beyond a megabyte is not a data
// file (and reading a device such as /dev/zero would go on forever).
bool readcasefile(const std::string& name, std::string* text, std::string* why) {
  constexpr std::size_t FILELIMIT = 1 << 20;
  std::FILE* f = std::fopen(name.c_str(), "r");
  if (!f) return refuse(why, reasonof(errno));
  text->clear();
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    text->append(buf, n);
    if (text->size() > FILELIMIT) {
      std::fclose(f);
      return refuse(why, tr("1 MB を超えています（ロボットデータファイルではありません）"));
    }
  }
  bool failed = std::ferror(f);
  int err = errno;
  std::fclose(f);
  return !failed || refuse(why, reasonof(err));
}

}  // namespace hs
