#pragma once
// What the loaded image would do to a DC of a given version and revision. Pure: the
// update run acts on it, and --info only tells it.

#include <cstdint>
#include <string>

#include "firmware/FirmwareImage.h"

namespace vor {

enum class UpdatePlan {
    Update,          // the image's code would be sent
    Current,         // the DC already runs it
    TooOld,          // a section-1 image needs a newer DC first (the image's minimum version)
    NewerThanImage,  // a section-2 image older than the DC's revision: no going back
    NoImage,         // nothing loaded: nothing may be sent
};

// The DC's revision counts only where the image uses one.
bool RevisionInUse(const FirmwareImage& image);

UpdatePlan PlanUpdate(const FirmwareImage& image, const std::string& dcVersion, std::uint8_t dcRevision);

}  // namespace vor
