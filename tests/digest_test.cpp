// The console text of a whole session start, pinned: the start dialogue
// (robot a, method 1, line), the first menu pass with its report and run,
// and one plain menu pass ('f', no change). The text is hashed (FNV-1a,
// 64 bits) and compared with the hash of a trusted build, so any changed
// byte of a prompt, a report figure or a message is caught, while the code
// behind it may be rearranged freely.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "session/app.h"
#include "session/menu.h"
#include "session/startup.h"

namespace hs {
namespace {

std::uint64_t fnv1a64(const std::string& text) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

TEST(Digest, StartDialogueAndOneMenuPassKeepEveryByte) {
  auto app = std::make_unique<App>();
  ScriptConsole con("n a 1 L");
  ASSERT_TRUE(startup(*app, con));
  const std::uint64_t start = fnv1a64(con.output());
  const std::size_t startlen = con.output().size();
  con.clearoutput();

  ScriptConsole pass("n");
  app->menukey = 'f';
  keymenu(*app, pass);
  const std::uint64_t menu = fnv1a64(pass.output());

  EXPECT_EQ(startlen, 3975u);
  EXPECT_EQ(start, 6279164574175972646ull) << con.output();
  EXPECT_EQ(pass.output().size(), 3748u);
  EXPECT_EQ(menu, 12468925355889557006ull) << pass.output();
}

}  // namespace
}  // namespace hs
