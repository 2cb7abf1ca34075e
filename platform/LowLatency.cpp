#include "platform/LowLatency.h"

#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <fstream>
#endif

namespace vor {

void RequestLowLatency([[maybe_unused]] int fileDescriptor, [[maybe_unused]] const std::string& portName) {
#ifdef __linux__
    if (fileDescriptor >= 0) {
        serial_struct serial{};
        if (::ioctl(fileDescriptor, TIOCGSERIAL, &serial) == 0) {
            serial.flags |= ASYNC_LOW_LATENCY;
            ::ioctl(fileDescriptor, TIOCSSERIAL, &serial);  // a refusal only costs speed
        }
    }
    const std::size_t slash = portName.find_last_of('/');
    const std::string tty = slash == std::string::npos ? portName : portName.substr(slash + 1);
    if (tty.empty() || tty.find("..") != std::string::npos) return;
    std::ofstream timer("/sys/bus/usb-serial/devices/" + tty + "/latency_timer");
    if (timer) timer << "1\n";  // not there or not writable: left as it is
#endif
}

}  // namespace vor
