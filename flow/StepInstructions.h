#pragma once
// The fixed English instruction text of each wizard stage (not translated).

#include <string>

namespace vor {

// Stage 1: steps 1-4; stage 2 (after Deep Sleep): ten empty lines for the picture,
// then steps 5-6; any other stage: empty.
std::string StepInstructions(int stage);

// Whether the Deep Sleep picture belongs on the page of `stage`.
bool StepShowsPicture(int stage);

}  // namespace vor
