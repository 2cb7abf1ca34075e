// The parts of the durable write that do not depend on the operating system.
#include "profile/DurableFile.h"

namespace vor {

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target) {
    std::filesystem::path temp = target;
    temp += ".part";
    return temp;
}

bool WriteStepAllowed(const WriteObserver& observer, WriteStep step, std::size_t bytesDone) {
    return !observer || observer(step, bytesDone);
}

}  // namespace vor
