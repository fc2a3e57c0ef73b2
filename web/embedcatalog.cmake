# Writes a compiled message catalog (.mo) as the bytes of a C++ array, so
# that the WebAssembly module, which reads no files, carries the English
# texts in itself (see src/console/messages.cpp).
# Usage: cmake -DMO=en.mo -DOUT=catalog.cpp -P embedcatalog.cmake
file(READ ${MO} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT}.tmp "// Made from po/en.po by web/embedcatalog.cmake: do not edit.
#include <cstddef>

namespace hs {
extern const unsigned char englishcatalog[];
extern const std::size_t englishcatalogsize;
const unsigned char englishcatalog[] = {
${bytes}};
const std::size_t englishcatalogsize = ${size};
}  // namespace hs
")
file(RENAME ${OUT}.tmp ${OUT})
