#pragma once
// Text from outside the program (port and file names, process names, the DC's identity,
// the system's reasons) as it may be shown next to the program's own texts: control
// characters become visible escapes ("\n", "\r", "\t", "\xNN"), so a name can neither
// start a line of its own nor send a terminal an escape sequence. C1 controls and bytes
// that are not UTF-8 are escaped too; backslashes stay (Windows paths).

#include <cstddef>
#include <string>
#include <string_view>

namespace vor {

std::string PrintableText(std::string_view text);

// Length of the valid UTF-8 sequence that starts at `i`, 0 when none does.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

// The same for a text of several lines: line ends (CR LF or LF) become LF and stay,
// every other control character is escaped.
std::string PrintableLines(std::string_view text);

}  // namespace vor
