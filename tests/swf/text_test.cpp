// Text fields' HTML: styled runs, line breaks and entities.
#include "swf/text/text.h"

#include <gtest/gtest.h>

namespace {

TEST(TextHtml, StylesNestAndCloseInOrder) {
    auto spans = swf::htmlToSpans(
        "<p align=\"left\"><font face=\"Arial\" size=\"30\" color=\"#ff99cc\"><b>Bold</b> and "
        "<i>Italic</i> and <b><i>Both</i></b></font></p><p>Next &amp; last</p>");
    std::string all;
    for (const auto& s : spans) all += s.text;
    EXPECT_EQ(all, "Bold and Italic and Both\nNext & last");
    ASSERT_GE(spans.size(), 5u);
    EXPECT_TRUE(spans[0].bold);
    EXPECT_FALSE(spans[0].italic);
    EXPECT_EQ(spans[0].height, uint16_t(600));
    EXPECT_EQ(spans[0].color, (swf::Rgba{0xff, 0x99, 0xcc, 255}));
    EXPECT_EQ(spans[0].face, "Arial");
    EXPECT_FALSE(spans[1].bold); // " and " back to the font's style
    EXPECT_TRUE(spans[4].bold && spans[4].italic);
    EXPECT_FALSE(spans.back().height.has_value()); // outside the font tag again
}

TEST(TextHtml, BrokenMarkupStaysBounded) {
    std::string deep;
    for (int i = 0; i < 10000; ++i) deep += "<b>";
    deep += "x<font size='abc' color='#zzz'>y</font></b></b></b></i><unknown>z<";
    auto spans = swf::htmlToSpans(deep);
    std::string all;
    for (const auto& s : spans) all += s.text;
    EXPECT_EQ(all, "xyz");
}

} // namespace
