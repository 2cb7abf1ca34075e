#pragma once
// The task-log progress text of the block loops (code upload, profile read-out and
// write-back).

#include <string>

namespace vor {

// done*100/total rounded to the nearest integer, halves to the even neighbour, then "%".
// total must be positive.
std::string PercentText(int done, int total);

}  // namespace vor
