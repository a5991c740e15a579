// Twips and pixels: 15 twips a pixel at 96 dpi, proportionally at other
// logical resolutions; a rectangle keeps neighbouring edges flush.

#include "Twips.h"

#include <gtest/gtest.h>

using pc::piattaforma::pixelInTwips;
using pc::piattaforma::twipsDaPixel;
using pc::piattaforma::twipsInPixel;

namespace pc::prova {

TEST(Twips, InPixelAllaRisoluzioneDelloSchermo)
{
    struct Caso {
        double twips, dpi;
        int pixel;
    };
    const Caso casi[] = {
        {15, 96, 1},     {1440, 96, 96},  {5430, 96, 362}, {7.5, 96, 1},  // half a pixel rounds up
        {7.4, 96, 0},    {1440, 144, 144}, {2835, 120, 236}, {9525, 96, 635}, {9525, 192, 1270},
    };
    for (const auto &c : casi) EXPECT_EQ(twipsInPixel(c.twips, c.dpi), c.pixel) << c.twips << " twips a " << c.dpi << " dpi";
}

TEST(Twips, DaPixelAncheSenzaRisoluzione)
{
    EXPECT_EQ(twipsDaPixel(635, 96), 9525.0);
    EXPECT_EQ(twipsDaPixel(10, 144), 100.0);
    EXPECT_EQ(twipsDaPixel(10, 0), 150.0);   // unknown dpi: 15 to the pixel
    EXPECT_EQ(pixelInTwips(7, 120), 84);
    EXPECT_EQ(pixelInTwips(1, 144), 10);
}

} // namespace pc::prova
