// libFuzzer target: any bytes given to the image decoder must give a result, never
// a crash, a read past the end or undefined behaviour.

#include <cstddef>
#include <cstdint>
#include <span>

#include "firmware/ImageLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vor::FirmwareImage image;  // 520 KB of tables: reused, not rebuilt per input
    const vor::ImageLoadResult r =
        vor::DecodeImage(std::span<const std::uint8_t>(data, size), "MERO|VOR|512|6865|1A05", image);
    if (r.ok() && !image.OnlySection1() && !image.OnlySection2() && !image.BothSections()) __builtin_trap();
    return 0;
}
