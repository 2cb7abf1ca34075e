#pragma once
// Keeps a window above all others (for the whole run of the wizard) or returns it
// to the ordinary Z order. Only the Z order changes: position, size and focus stay.

class QWidget;

namespace vor {

void SetTopMost(QWidget* window, bool topMost);

}  // namespace vor
