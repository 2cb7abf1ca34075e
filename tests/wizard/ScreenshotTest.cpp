// Renders the first page offscreen into the build folder for review.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

#include "tests/wizard/WizardHarness.h"

namespace vor::test {
namespace {

TEST(Screenshot, FirstPageIsSavedAsPng) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    const QString path = QDir(QStringLiteral(VOR_PROGRAM_DIR "/..")).absoluteFilePath("first-page.png");
    const QImage image = h.window->grab().toImage();
    ASSERT_TRUE(image.save(path));
    EXPECT_EQ(image.size(), h.window->size() * image.devicePixelRatio());
    // The background colour shows where no control covers the window.
    EXPECT_EQ(image.pixelColor(5, image.height() - 3), QColor(236, 233, 216));
}

TEST(Screenshot, DeepSleepPageIsSavedAsPng) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.reachDeepSleepPage();
    h.pump.setLocalTimeBase({2026, 3, 1, 9, 5, 7});
    const QString path = QDir(QStringLiteral(VOR_PROGRAM_DIR "/..")).absoluteFilePath("deep-sleep-page.png");
    ASSERT_TRUE(h.window->grab().save(path));
}

}  // namespace
}  // namespace vor::test
