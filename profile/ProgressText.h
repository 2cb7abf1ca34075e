#pragma once
// The task-log progress text of the profile steps.

#include <string>

namespace vor {

// done*100/total rounded to the nearest integer, halves to the even neighbour, then "%".
// total must be positive.
std::string PercentText(int done, int total);

}  // namespace vor
