#include <sys/prctl.h>

#include <csignal>

#include "platform/ParentDeath.h"

namespace vor {

void EndWithParent() { ::prctl(PR_SET_PDEATHSIG, SIGTERM); }

}  // namespace vor
