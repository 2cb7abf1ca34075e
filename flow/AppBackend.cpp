#include "flow/AppBackend.h"

#include "firmware/ImageLoader.h"

#include "resources/StringResources.h"
#include "session/Utf8Path.h"

namespace vor {

AppBackend::AppBackend(WizardState& state, WizardServices& wizard, EventPump& pump, SerialPort& port,
                       PortOpener openPort, BackupFolders backupFolders)
    : state_(state),
      wizard_(wizard),
      openPort_(std::move(openPort)),
      link_(port, pump, state),
      profile_(link_, wizard, state, profileImage_, pump, std::move(backupFolders)),
      updater_(link_, wizard, state, image_, profileForUpdate_, pump) {}

std::optional<std::string> AppBackend::LoadFirmwareImage() {
    const ImageLoadResult loaded =
        GetCode(PathOfUtf8(state_.FirmwarePath), wizard_, state_, image_, LoadResString(ResParameters));
    if (!loaded.ok()) return loaded.detail;
    link_.SizeReplyBuffers(image_.MemorySize);
    profileImage_ = {image_.ModelNumber, image_.MemorySize};
    return std::nullopt;
}

}  // namespace vor
