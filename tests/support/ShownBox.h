#pragma once
// A message box as a test double saw it.

#include <string>

#include "session/WizardServices.h"

namespace vor::test {

struct ShownBox {
    BoxIcon icon;
    BoxButtons buttons;
    std::string caption;
    std::string text;
};

}  // namespace vor::test
