#include "firmware/UpdatePlan.h"

namespace vor {

bool RevisionInUse(const FirmwareImage& image) { return image.ConfigRevision >= 1 && image.ConfigRevision <= 99; }

UpdatePlan PlanUpdate(const FirmwareImage& image, const std::string& dcVersion, std::uint8_t dcRevision) {
    // Versions compare as text, character by character.
    switch (image.Kind) {
    case ImageKind::OnlySection1:
        if (dcVersion < image.MinimumVersion) return UpdatePlan::TooOld;
        return dcVersion >= image.ImageVersion ? UpdatePlan::Current : UpdatePlan::Update;
    case ImageKind::BothSections:
        return dcVersion >= image.ImageVersion && dcRevision >= image.ImageRevision ? UpdatePlan::Current
                                                                                    : UpdatePlan::Update;
    case ImageKind::OnlySection2:
        return image.ImageRevision < dcRevision ? UpdatePlan::NewerThanImage : UpdatePlan::Update;
    case ImageKind::None: break;
    }
    return UpdatePlan::NoImage;
}

}  // namespace vor
