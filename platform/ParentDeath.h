#pragma once
// A child process that must not outlive the process that started it (a helper whose
// parent was killed would keep its port or pseudo-terminal busy).

namespace vor {

// Asks the system to end this process with SIGTERM when its parent ends. Linux only;
// elsewhere nothing happens and the parent has to end the child itself.
void EndWithParent();

}  // namespace vor
