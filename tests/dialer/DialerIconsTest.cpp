// The dialer's icons: the bitmaps the build makes from the PNG renderings must show the
// same pixels, transparency included, at every size the window asks for.

#include "DialerHarness.h"

#include <DialerIcons.h>

#include <QImage>
#include <QPixmap>

namespace {

class DialerIcons : public DialerHarness {};

} // namespace

TEST_F(DialerIcons, BitmapsShowThePixelsOfTheirRenderings)
{
    struct Case {
        const char* name;
        int size;
    };
    const Case cases[] = {
        {"information", 20}, {"information", 40}, {"nvringfast", 16},
        {"nvringfast", 32},  {"nvringfast", 48},  {"nvringfast", 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "-" + std::to_string(c.size));
        const QImage rendering(QStringLiteral(LINKORA_DIALER_RESOURCES "/%1-%2.png").arg(QLatin1String(c.name)).arg(c.size));
        ASSERT_FALSE(rendering.isNull());
        const QIcon icon = dialerIcon(c.name, {c.size});
        EXPECT_FALSE(icon.isNull());
        EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(c.size, c.size)});
        // Compared premultiplied, as a pixmap holds them: taking the alpha out again rounds
        // differently with the processor's vector instructions.
        const QImage shown = icon.pixmap(c.size, c.size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_EQ(shown.size(), QSize(c.size, c.size));
        EXPECT_TRUE(shown == rendering.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        // Some pixels are see-through and some solid: the alpha channel came along.
        EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(shown.pixel(c.size / 2, c.size / 2)), 255);
    }
}

TEST_F(DialerIcons, AWindowIconOffersEverySizeAndPicksTheNearest)
{
    const QIcon icon = dialerIcon("nvringfast", {16, 32, 48, 64});
    EXPECT_EQ(icon.availableSizes().size(), 4);
    EXPECT_EQ(icon.pixmap(32, 32).size(), QSize(32, 32));
    EXPECT_EQ(icon.actualSize(QSize(40, 40)), QSize(40, 40));
    // A copy reads on its own and shows the same.
    QIcon copy = icon;
    copy.detach();
    EXPECT_TRUE(copy.pixmap(64, 64).toImage() == icon.pixmap(64, 64).toImage());
}
