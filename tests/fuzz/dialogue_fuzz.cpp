#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;  // a dialogue is short; longer inputs only repeat it
  hs::fuzz::dialogue(data, size);
  return 0;
}
