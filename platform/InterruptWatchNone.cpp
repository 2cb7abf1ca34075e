#include "platform/InterruptWatch.h"

namespace vor {

std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void()>) { return nullptr; }

}  // namespace vor
