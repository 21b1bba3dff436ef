# Turns a content file into a C++ source holding its exact bytes.
# Usage: cmake -DIN=file -DOUT=file.cc -DNAME=id [-DNAMESPACE=ns] -P embed.cmake
if(NOT NAMESPACE)
  set(NAMESPACE sb::content::embedded)
endif()
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hex_len)
math(EXPR size "${hex_len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT}.tmp
"// Generated from ${IN}; do not edit.
#include <cstddef>
namespace ${NAMESPACE} {
extern const unsigned char ${NAME}_data[];
extern const std::size_t ${NAME}_size;
const unsigned char ${NAME}_data[] = {
${bytes}0x00};
const std::size_t ${NAME}_size = ${size};
}  // namespace ${NAMESPACE}
")
file(RENAME ${OUT}.tmp ${OUT})
