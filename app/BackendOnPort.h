#pragma once
// The backend on the interface cable through a serial port of type Port, which
// vor::OpenInterfacePort(Port&, forcedPort) opens: each system's Cable file picks its
// port.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "flow/AppBackend.h"

namespace vor {

namespace detail {

// The port must exist before AppBackend's link registers with it.
template <class Port>
struct PortHolder {
    Port cablePort;
};

template <class Port>
class BackendOnPort : private PortHolder<Port>, public AppBackend {
public:
    BackendOnPort(std::optional<std::string> forcedPort, WizardState& state, WizardServices& services, EventPump& pump,
                  const BackupFolders& backupFolders)
        : AppBackend(
              state, services, pump, this->cablePort,
              [this, forcedPort] { return vor::OpenInterfacePort(this->cablePort, forcedPort); }, backupFolders) {}
};

}  // namespace detail

// `port` empty: the cable is searched; otherwise that port is used.
template <class Port>
std::unique_ptr<WizardBackend> MakeBackendOnPort(const std::string& port, WizardState& state, WizardServices& services,
                                                 EventPump& pump, const BackupFolders& backupFolders) {
    std::optional<std::string> forcedPort;
    if (!port.empty()) forcedPort = port;
    return std::make_unique<detail::BackendOnPort<Port>>(forcedPort, state, services, pump, backupFolders);
}

}  // namespace vor
