#pragma once
// Shortens the receive latency of a USB serial bridge. The DC answers every block
// with one byte; with the FTDI driver's default 16 ms latency timer each of those
// bytes waits for the timer, which about doubles the transfer time.

#include <string>

namespace vor {

// On Linux: sets ASYNC_LOW_LATENCY on the open port and, where
// /sys/bus/usb-serial/devices/<tty>/latency_timer is writable, sets it to 1 ms.
// Refusals are ignored: the link works without them, only slower. Elsewhere a no-op.
void RequestLowLatency(int fileDescriptor, const std::string& portName);

}  // namespace vor
