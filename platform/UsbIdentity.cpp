#include "platform/UsbIdentity.h"

namespace vor {

bool MayReopen(const UsbIdentity& first, const UsbIdentity& now) {
    if (!first.vendor && !first.product && first.serialNumber.empty()) return true;
    return first == now;
}

}  // namespace vor
