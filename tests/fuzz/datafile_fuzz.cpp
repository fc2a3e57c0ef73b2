#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  hs::fuzz::datafile(data, size);
  return 0;
}
