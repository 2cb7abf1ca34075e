#pragma once
// The agreement page's Print: the agreement text beside the program, read line by line
// and handed to the window's printer; what goes wrong gets its box, the same in every
// window.

#include <functional>
#include <string>
#include <vector>

namespace vor {

class WizardFlow;

constexpr const char* AgreementFile = "RD2_EUA.prn";

// Prints the lines; empty when printed, else why not.
using LinePrinter = std::function<std::string(const std::vector<std::string>& lines)>;

// Reads `programDir`'s agreement file and prints it with `print`. A file that cannot
// be read, or a print that fails, is said in a box of the flow's.
void PrintAgreement(WizardFlow& flow, const std::string& programDir, const LinePrinter& print);

}  // namespace vor
