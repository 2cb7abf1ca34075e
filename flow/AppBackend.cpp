#include "flow/AppBackend.h"

#include "firmware/ImageLoader.h"
#include "resources/StringResources.h"
#include "session/Utf8Path.h"

namespace vor {

AppBackend::AppBackend(WizardState& state, WizardServices& wizard, EventPump& pump, SerialPort& port,
                       PortOpener openPort, const std::filesystem::path& backupFolder)
    : state_(state),
      wizard_(wizard),
      openPort_(std::move(openPort)),
      link_(port, pump, state),
      profile_(link_, wizard, state, profileImage_, pump, backupFolder),
      updater_(link_, wizard, state, image_, profileForUpdate_, pump) {}

void AppBackend::GetCode() {
    // On failure GetCode has already reported and closed the program.
    if (vor::GetCode(PathOfUtf8(state_.FirmwarePath), wizard_, state_, image_, LoadResString(ResParameters))) {
        link_.SizeReplyBuffers(image_.MemorySize);
        profileImage_ = {image_.ModelNumber, image_.MemorySize};
    }
}

}  // namespace vor
