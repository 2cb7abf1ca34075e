// Systems without a parent-death signal: the parent ends its children itself.

#include "platform/ParentDeath.h"

namespace vor {

void EndWithParent() {}

}  // namespace vor
