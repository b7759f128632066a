#include "app/ui/ProgramIcon.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

namespace quillon {
namespace {

// The built-in SVG reaches the window at every size a task bar or title bar asks for: the
// resource is linked in and Qt's SVG support is there to draw it.
TEST(ProgramIcon, DrawsTheRoundedPlateAtEverySize)
{
    const QIcon icon = programIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {16, 32, 256}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size)) << size;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "corner outside the plate at " << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size - size / 8)), 255)
            << "plate near the bottom edge at " << size;
    }
}

}  // namespace
}  // namespace quillon
