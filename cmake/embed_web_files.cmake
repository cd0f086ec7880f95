# Writes a C++ source that holds the files of the web page as byte arrays
# (src/host/web_assets.h). Run at build time:
#   cmake -DFOLDER=dir -DFILES="a;b" -DOUTPUT=file.cpp -P embed_web_files.cmake
set(arrays "")
set(entries "")
set(index 0)
foreach(name IN LISTS FILES)
  file(READ "${FOLDER}/${name}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  if(name MATCHES "\\.html$")
    set(type "text/html; charset=utf-8")
  elseif(name MATCHES "\\.js$")
    set(type "text/javascript; charset=utf-8")
  elseif(name MATCHES "\\.css$")
    set(type "text/css; charset=utf-8")
  else()
    set(type "application/octet-stream")
  endif()
  string(APPEND arrays "const unsigned char kFile${index}[] = {${bytes}0};\n")
  string(APPEND entries
         "    {\"/${name}\", \"${type}\", {reinterpret_cast<const char*>(kFile${index}), ${size}}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.new" "// Generated from the files of src/host/web; do not edit.
#include \"host/web_assets.h\"

namespace tpl::host {
namespace {

${arrays}
const WebAsset kAssets[] = {
${entries}};

}  // namespace

std::span<const WebAsset> WebAssets() { return kAssets; }

}  // namespace tpl::host
")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.new" "${OUTPUT}")
