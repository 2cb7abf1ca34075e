#include "platform/InterruptWatch.h"

namespace vor {

std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void(Interrupt)>) { return nullptr; }

}  // namespace vor
