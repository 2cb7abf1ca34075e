#pragma once
// The three pictures of the task log's rows, drawn by the program itself.

#include <QIcon>

namespace vor {

// 0 running step (a clock face), 1 result or information (a blue "i"),
// 2 error (a red cross). Any other index gives an empty icon.
QIcon StatusPicture(int index);

}  // namespace vor
