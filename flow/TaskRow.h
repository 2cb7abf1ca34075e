#pragma once
// One task-log row as the front ends show it and the attempt records keep it.

#include <string>

#include "platform/EventPump.h"

namespace vor {

struct TaskRow {
    int row = 0;
    int iconInd = 0;
    std::string time;
    std::string event;
    std::string status;
};

// "hh:mm:ss", 24-hour clock, two digits each.
std::string FormatTimeOfDay(const LocalTime& t);

// The row's picture as a word of five characters: "step ", "info ", "ERROR".
const char* TaskIconMarker(int iconInd);

// A row text on one line: line breaks and tabs become blanks.
std::string OneLine(std::string text);

}  // namespace vor
