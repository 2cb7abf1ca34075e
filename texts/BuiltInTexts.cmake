# Writes BuiltInTexts.cpp: the English text of every message this program added to the
# language database (numbers 900 and up), taken from resources/messages.tsv, so that a
# database without them still shows a readable text.
# Usage: cmake -DSOURCE=messages.tsv -DOUTPUT=BuiltInTexts.cpp -P BuiltInTexts.cmake
file(READ "${SOURCE}" content)
# Characters CMake's lists treat specially are kept out of the way while splitting lines.
string(REPLACE ";" "@SEMICOLON@" content "${content}")
string(REPLACE "[" "@OPEN@" content "${content}")
string(REPLACE "]" "@CLOSE@" content "${content}")
string(REPLACE "\n" ";" lines "${content}")
set(rows "")
foreach(line IN LISTS lines)
  if(line MATCHES "^(9[0-9][0-9])\t([^\t]*)\t")
    set(text "${CMAKE_MATCH_2}")
    string(REPLACE "@SEMICOLON@" ";" text "${text}")
    string(REPLACE "@OPEN@" "[" text "${text}")
    string(REPLACE "@CLOSE@" "]" text "${text}")
    # The file's escapes (\t \n \r \\) are C++'s own; only quotes need one.
    string(REPLACE "\"" "\\\"" text "${text}")
    string(APPEND rows "    {${CMAKE_MATCH_1}, \"${text}\"},\n")
  endif()
endforeach()
set(code "// Generated from resources/messages.tsv by texts/BuiltInTexts.cmake: do not edit.
#include \"texts/BuiltInTexts.h\"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vor {
namespace {
const std::pair<std::int32_t, const char*> Texts[] = {
${rows}};
}  // namespace

std::string BuiltInText(std::int32_t number) {
    const auto row = std::find_if(std::begin(Texts), std::end(Texts), [number](const auto& r) { return r.first == number; });
    return row == std::end(Texts) ? std::string() : std::string(row->second);
}

}  // namespace vor
")
file(WRITE "${OUTPUT}.tmp" "${code}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
