#pragma once
// What the system tells about the USB device behind a serial port, so that a port
// opened again after a failure is known to be the same cable and not another device
// that took its name.

#include <cstdint>
#include <optional>
#include <string>

namespace vor {

struct UsbIdentity {
    std::optional<std::uint16_t> vendor;  // absent for a port without a USB device (a pseudo-terminal)
    std::optional<std::uint16_t> product;
    std::string serialNumber;
    bool operator==(const UsbIdentity&) const = default;
};

// Whether a port whose device was `first` when it was opened may be opened again now
// that the system reports `now` under the same name. A port the system told nothing
// about is reopened by name.
bool MayReopen(const UsbIdentity& first, const UsbIdentity& now);

}  // namespace vor
