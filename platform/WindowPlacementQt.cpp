#include <QWidget>

#include "platform/WindowPlacement.h"

namespace vor {

void SetTopMost(QWidget* window, bool topMost) {
    // Changing window flags hides a shown window; show it again in place.
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    if (wasVisible) window->show();
}

}  // namespace vor
