#pragma once
// The wizard's skinned look: XP-like buttons, frame, list and title strip.

class QWidget;

namespace vor {

void ApplySkin(QWidget* window);

}  // namespace vor
