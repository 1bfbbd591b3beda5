// Text fields: HTML (styled runs, line breaks and entities), borders, device fonts.
#include "fixture.h"

#include "swf/text/text.h"
#include "swf/writer/control.h"
#include "swf/writer/timeline.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <gtest/gtest.h>

namespace {

TEST(TextHtml, StylesNestAndCloseInOrder) {
    auto spans = swf::htmlToSpans(
        "<p align=\"left\"><font face=\"Arial\" size=\"30\" color=\"#ff99cc\"><b>Bold</b> and "
        "<i>Italic</i> and <b><i>Both</i></b></font></p><p>Next &amp; last</p>");
    std::string all;
    for (const auto& s : spans) all += s.text;
    EXPECT_EQ(all, "Bold and Italic and Both\nNext & last\n"); // each paragraph ends in a break
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

TEST(TextHtml, ParagraphsKeepTheirOwnSettings) {
    swf::TextSpan base;
    base.para.leading = 40;
    base.para.align = 2;
    auto spans = swf::htmlToSpans("<p align='right'><textformat leftmargin='5'>one <b>two</b></textformat></p>"
                                  "<p>three<br>four</p><li><font kerning='1'>five</font></li>",
                                  base);
    std::string all;
    for (const auto& s : spans) all += s.text;
    EXPECT_EQ(all, "one two\nthree\nfour\nfive\n");
    int paragraph = 0; // of the run, counting from 0
    for (const auto& s : spans) {
        SCOPED_TRACE(s.text);
        EXPECT_EQ(s.para.leading, 40); // from the base, everywhere
        if (paragraph == 0) { // its line break with it
            EXPECT_EQ(s.para.align, 1);
            EXPECT_EQ(s.para.leftMargin, 100);
        } else if (paragraph == 3) {
            EXPECT_TRUE(s.para.bullet); // its closing break too
            EXPECT_EQ(s.kerning, s.text == "five");
        } else {
            EXPECT_EQ(s.para.align, 2); // a paragraph without ALIGN keeps the base's
            EXPECT_EQ(s.para.leftMargin, 0);
        }
        if (s.text.find('\n') != std::string::npos) ++paragraph;
    }
    EXPECT_EQ(paragraph, 4);
    // A single-line field keeps only the breaks the markup writes.
    std::string single;
    for (const auto& s : swf::htmlToSpans("<p>a</p><p>b<br>c</p>\n", base, false)) single += s.text;
    EXPECT_EQ(single, "ab\nc\n");
    // A paragraph's runs all carry its first run's settings, and none reaches past a break.
    std::vector<swf::TextSpan> mixed(2);
    mixed[0].text = "a\nb";
    mixed[1].text = "c";
    mixed[1].bold = true;
    mixed[1].para.align = 3;
    swf::unifyParagraphs(mixed);
    ASSERT_EQ(mixed.size(), 3u);
    EXPECT_EQ(mixed[0].text, "a\n");
    EXPECT_EQ(mixed[1].text, "b");
    EXPECT_EQ(mixed[2].para.align, 0);
}

TEST(TextLayout, WrapsBetweenWordsAndMeasuresWithoutTrailingSpaces) {
    swf::Font font;
    font.hasLayout = true;
    font.emSize = 1000;
    font.ascent = 800;
    font.descent = 200;
    for (char c : std::string(" ab")) {
        swf::Glyph g;
        g.code = static_cast<uint16_t>(c);
        g.advance = c == ' ' ? 500 : 1000;
        font.glyphs.push_back(g);
    }
    swf::EditText e;
    e.wordWrap = true;
    e.height = 200; // 10 px: a letter 200 twips wide, a space 100
    e.bounds = {0, static_cast<int32_t>(2 * swf::kTextGutter + 1000), 0, 2000};
    swf::TextSpan sp;
    sp.text = "ab ab abababab\nb ";
    sp.para.leading = 40;
    e.spans = {sp};
    auto t = swf::layoutText(e, font, nullptr);
    ASSERT_EQ(t.lines.size(), 4u);
    EXPECT_EQ(t.lines[0].glyphs.size(), 6u); // "ab ab " fits 1000 twips with its space hanging
    EXPECT_DOUBLE_EQ(t.lines[0].width, 900);
    EXPECT_EQ(t.lines[1].glyphs.size(), 5u); // a word too long for a line breaks at the edge
    EXPECT_EQ(t.lines[2].glyphs.size(), 3u);
    EXPECT_DOUBLE_EQ(t.lines[3].width, 200); // "b " after the line break
    EXPECT_DOUBLE_EQ(t.width, 1000);
    EXPECT_DOUBLE_EQ(t.height, 4 * (160 + 40 + 40)); // ascent, descent and leading
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

namespace {

using namespace fixture;

TEST(TextField, BorderAndBackgroundLieCrisplyOnTheFieldsPixels) {
    auto m = movie();
    w::EditTextDesc d;
    d.bounds = {0, 400, 0, 200}; // 20 x 10 pixels
    d.border = true;
    m.add(rectShape(1, 0, 0, 100, 100, {128, 128, 128, 255}));
    m.add(w::defineEditText(2, d));
    m.place(1, 1).place(2, 2, swf::Matrix::translate(200, 300)).showFrame(); // at (10, 15)
    swf::Player p(load(m.bytes()));
    QImage img = render(p);
    // Border pixels are fully black, never blended with the grey or the white.
    EXPECT_TRUE(near(img.pixel(10, 15), kBlack, 0)); // top left
    EXPECT_TRUE(near(img.pixel(30, 15), kBlack, 0)); // top edge runs to the right edge
    EXPECT_TRUE(near(img.pixel(10, 25), kBlack, 0)); // left edge runs to the bottom edge
    EXPECT_TRUE(near(img.pixel(30, 20), kBlack, 0)); // right edge, just beyond the field
    EXPECT_TRUE(near(img.pixel(20, 25), kBlack, 0)); // bottom edge, just beyond the field
    EXPECT_TRUE(near(img.pixel(30, 25), {128, 128, 128, 255}, 0)); // the far corner is left out
    EXPECT_TRUE(near(img.pixel(11, 16), kWhite, 0));               // background inside
    EXPECT_TRUE(near(img.pixel(29, 24), kWhite, 0));
    EXPECT_TRUE(near(img.pixel(9, 14), {128, 128, 128, 255}, 0)); // nothing outside
}

const swf::EditText& fieldAt(const swf::Clip& holder, int depth) {
    const auto& clip = holder.list.at(depth).clip;
    return std::get<swf::EditText>(*clip->ownCharacter);
}

TEST(TextField, ABoundFieldGivesAMissingVariableItsTextAndShowsOneThere) {
    namespace ac = w::actioncode;
    using PV = w::PushValue;
    auto m = movie(8);
    w::EditTextDesc greeting;
    greeting.bounds = {0, 400, 0, 200};
    greeting.variable = "_root.greeting"; // a path from the sprite holding it
    greeting.text = "hello";
    m.add(w::defineEditText(2, greeting));
    w::TimelineWriter inner;
    inner.place(1, 2).showFrame();
    m.add(w::defineSprite(3, inner));
    w::EditTextDesc preset = greeting;
    preset.variable = "preset";
    preset.text = "from the tag";
    m.add(w::defineEditText(4, preset));
    w::ActionBuilder first, second;
    first.push({PV::string("greeting")}).op(ac::GetVariable).op(ac::Trace);
    first.push({PV::string("preset"), PV::string("from a script")}).op(ac::SetVariable);
    second.push({PV::string("preset")}).op(ac::GetVariable).op(ac::Trace);
    second.push({PV::string("greeting"), PV::string("changed")}).op(ac::SetVariable);
    m.place(1, 3).actions(first).showFrame();
    m.place(2, 4).actions(second).showFrame();
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    swf::Player p(load(m.bytes()), opts);
    p.tick();
    EXPECT_EQ(lines, (std::vector<std::string>{"hello", "from a script"}));
    EXPECT_EQ(fieldAt(*p.root().list.at(1).clip, 1).text, "changed"); // follows its variable
    EXPECT_EQ(fieldAt(p.root(), 2).text, "from a script");              // the variable was there first
}

TEST(TextField, DeviceFontNamesStandForTheNotoFaces) {
    EXPECT_EQ(swf::deviceFamilies("_sans").front(), "Noto Sans");
    EXPECT_EQ(swf::deviceFamilies("").front(), "Noto Sans");
    EXPECT_EQ(swf::deviceFamilies("_serif").front(), "Noto Serif");
    EXPECT_EQ(swf::deviceFamilies("_typewriter").front(), "Noto Sans Mono");
    auto named = swf::deviceFamilies("Courier New");
    EXPECT_EQ(named.front(), "Courier New");
    EXPECT_TRUE(named.contains("Noto Sans")); // the fallback
    if (!QFontDatabase::hasFamily("Noto Sans")) GTEST_SKIP() << "Noto Sans is not installed";
    QFont f;
    f.setFamilies(swf::deviceFamilies("_sans"));
    EXPECT_EQ(QFontInfo(f).family(), "Noto Sans");
    f.setFamilies(swf::deviceFamilies("NoSuchFontAnywhere"));
    EXPECT_EQ(QFontInfo(f).family(), "Noto Sans");
}

} // namespace
