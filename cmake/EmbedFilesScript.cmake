# Run with cmake -P: -DOUTPUT=<generated.cpp> -DPAIRS="<tree path>=<file>|<tree path>=<file>|..."
# Generates the byte arrays and the record table of the embedded file tree.
string(REPLACE "|" ";" pairs "${PAIRS}")
set(arrays "")
set(records "")
set(index 0)
foreach(pair IN LISTS pairs)
  string(FIND "${pair}" "=" split)
  string(SUBSTRING "${pair}" 0 ${split} tree_path)
  math(EXPR file_start "${split} + 1")
  string(SUBSTRING "${pair}" ${file_start} -1 file)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "alignas(4) const unsigned char file${index}[${size}] = {\n    ${bytes}\n};\n")
  string(APPEND records "    { \"${tree_path}\", file${index}, file${index} + ${size} },\n")
  math(EXPR index "${index} + 1")
endforeach()

file(WRITE "${OUTPUT}.tmp" "// Generated at build time from the shader sources; do not edit.
#include <Orvane/render/embedded_file_records.h>

namespace {
${arrays}
} // namespace

namespace Orvane::Render::Private {

const EmbeddedFileRecord embeddedFileRecords[] = {
${records}};
const std::size_t embeddedFileRecordCount = ${index};

} // namespace Orvane::Render::Private
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
