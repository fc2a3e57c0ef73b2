// Replays the fuzz corpora and every crash input ever found, so what the
// fuzzers learned keeps being checked by the normal suite.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/harness.h"

namespace hs {
namespace {

// The corpus and the crash inputs kept beside it; a corpus that is missing
// or empty fails the test rather than replaying nothing.
std::vector<std::string> inputs(const std::string& prefix) {
  std::vector<std::string> files;
  const std::string dir = std::string(HYBRIDSIM_SOURCE_DIR) + "/tests/fuzz";
  const std::string corpus = dir + "/" + prefix + "_corpus";
  for (const std::string& d : {corpus, dir}) {
    DIR* h = opendir(d.c_str());
    if (h == nullptr) {
      ADD_FAILURE() << "cannot open " << d;
      continue;
    }
    while (dirent* e = readdir(h)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      if (d == dir && name.rfind(prefix + "_crash-", 0) != 0) continue;
      files.push_back(d + "/" + name);
    }
    closedir(h);
    if (d == corpus && files.empty()) ADD_FAILURE() << "no inputs in " << corpus;
  }
  return files;
}

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

TEST(FuzzReplay, DataFileCorpus) {
  const auto files = inputs("datafile");
  for (const auto& f : files) {
    SCOPED_TRACE(f);
    const std::string s = slurp(f);
    fuzz::datafile(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  }
}

TEST(FuzzReplay, DialogueCorpus) {
  const auto files = inputs("dialogue");
  for (const auto& f : files) {
    SCOPED_TRACE(f);
    const std::string s = slurp(f);
    fuzz::dialogue(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  }
}

}  // namespace
}  // namespace hs
