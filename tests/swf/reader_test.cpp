// Bit and byte reading at the edges of the data.
#include "swf/format/reader.h"

#include <gtest/gtest.h>

namespace {

TEST(Reader, BitFieldsReadMostSignificantFirstAndSignExtend) {
    const uint8_t data[] = {0b10110000, 0xff};
    swf::Reader r(data);
    EXPECT_EQ(r.ub(3), 0b101u);
    EXPECT_EQ(r.sb(2), -2); // the next two bits, "10"
    r.align();
    EXPECT_EQ(r.u8(), 0xff);
    EXPECT_FALSE(r.overrun());
}

TEST(Reader, BitFieldsRunAcrossBytes) {
    const uint8_t data[] = {0xab, 0xcd, 0xef, 0x12, 0x34, 0xc0};
    swf::Reader r(data);
    EXPECT_EQ(r.ub(4), 0xau);
    EXPECT_EQ(r.ub(32), 0xbcdef123u);
    EXPECT_EQ(r.sb(4), 4);
    EXPECT_EQ(r.sb(0), 0);
    EXPECT_EQ(r.ub(0), 0u);
    EXPECT_EQ(r.sb(4), -4); // "1100"
    EXPECT_FALSE(r.overrun());
    // A field cut short by the end keeps the bits there were, the missing ones zero.
    const uint8_t one[] = {0xff};
    swf::Reader s(one);
    EXPECT_EQ(s.ub(3), 7u);
    EXPECT_EQ(s.ub(8), 0xf8u);
    EXPECT_TRUE(s.overrun());
}

TEST(Reader, ReadsPastTheEndYieldZeroAndFlagIt) {
    const uint8_t data[] = {0x12};
    for (int width : {1, 8, 31, 32, 40, -3}) {
        swf::Reader r(data);
        r.u8();
        EXPECT_EQ(r.ub(width), 0u) << width;
        EXPECT_EQ(r.overrun(), width > 0) << width;
    }
    swf::Reader r(data);
    EXPECT_EQ(r.u32(), 0x12u);
    EXPECT_TRUE(r.overrun());
    EXPECT_EQ(r.bytes(10).size(), 0u);
    EXPECT_EQ(r.string(), "");
}

TEST(Reader, StringsStopAtTheirTerminatorOrTheEnd) {
    const uint8_t data[] = {'a', 'b', 0, 'c'};
    swf::Reader r(data);
    EXPECT_EQ(r.string(), "ab");
    EXPECT_EQ(r.string(), "c");
    EXPECT_TRUE(r.atEnd());
}

} // namespace
