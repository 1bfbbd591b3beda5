// Shape building: edge records joined into filled contours and strokes.
#include "swf/format/shape.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using swf::PathCmd;
using swf::ShapeRecord;

// Record stream of straight edges, with style changes in between.
struct Records {
    swf::ShapeRecords recs;
    Records(int fills, int lines) {
        recs.tables.emplace_back();
        recs.tables[0].fills.resize(static_cast<size_t>(fills));
        recs.tables[0].lines.resize(static_cast<size_t>(lines));
    }
    Records& style(int fill0, int fill1, int line) {
        ShapeRecord r{};
        r.kind = ShapeRecord::Kind::Style;
        r.fill0 = fill0;
        r.fill1 = fill1;
        r.line = line;
        r.newStyles = -1;
        recs.records.push_back(r);
        return *this;
    }
    Records& move(int32_t x, int32_t y) {
        ShapeRecord r{};
        r.kind = ShapeRecord::Kind::Style;
        r.fill0 = r.fill1 = r.line = r.newStyles = -1;
        r.move = true;
        r.x = x;
        r.y = y;
        recs.records.push_back(r);
        return *this;
    }
    Records& to(int32_t x, int32_t y) {
        ShapeRecord r{};
        r.kind = ShapeRecord::Kind::Edge;
        r.x = x;
        r.y = y;
        recs.records.push_back(r);
        return *this;
    }
    swf::Shape build() const { return swf::buildShape(recs, {}, false); }
};

// A path's commands as (op, x, y), op 'M' or 'L'.
std::vector<std::tuple<char, int32_t, int32_t>> steps(const swf::ShapePath& p) {
    std::vector<std::tuple<char, int32_t, int32_t>> out;
    for (const PathCmd& c : p.cmds) out.emplace_back(c.op == PathCmd::Op::Move ? 'M' : 'L', c.x, c.y);
    return out;
}

using Steps = std::vector<std::tuple<char, int32_t, int32_t>>;

TEST(ShapeBuild, ContoursFollowEdgesHeadToTailTakingTheLaterEdgeAtAForkedPoint) {
    // Two loops through the point (50, 50), given one after the other.
    Records r(1, 0);
    r.style(-1, 1, -1).move(0, 0).to(50, 50).to(0, 100).to(0, 0);
    r.move(50, 50).to(100, 0).to(100, 100).to(50, 50);
    const swf::Shape s = r.build();
    ASSERT_EQ(s.paths.size(), 1u);
    EXPECT_EQ(s.paths[0].fill, 0);
    // At (50, 50) the second loop's edge is taken: one contour runs through both.
    EXPECT_EQ(steps(s.paths[0]), (Steps{{'M', 0, 0},
                                        {'L', 50, 50},
                                        {'L', 100, 0},
                                        {'L', 100, 100},
                                        {'L', 50, 50},
                                        {'L', 0, 100},
                                        {'L', 0, 0}}));
}

TEST(ShapeBuild, EdgesBetweenFillsServeBothInStyleOrderAndOpenRunsStayOpen) {
    // A square split down the middle: the right half (fill 2) given first, then the
    // shared edge once, then the left half (fill 1), then an open run of fill 2.
    Records r(2, 0);
    r.style(-1, 2, -1).move(50, 0).to(100, 0).to(100, 100).to(50, 100);
    r.style(1, 2, -1).to(50, 0);
    r.style(0, 1, -1).move(50, 100).to(0, 100).to(0, 0).to(50, 0);
    r.style(0, 2, -1).move(200, 0).to(300, 0).to(300, 50);
    const swf::Shape s = r.build();
    ASSERT_EQ(s.paths.size(), 2u);
    // The shared edge runs the other way for the fill on its left.
    EXPECT_EQ(s.paths[0].fill, 0);
    EXPECT_EQ(steps(s.paths[0]), (Steps{{'M', 50, 0}, {'L', 50, 100}, {'L', 0, 100}, {'L', 0, 0}, {'L', 50, 0}}));
    EXPECT_EQ(s.paths[1].fill, 1);
    EXPECT_EQ(steps(s.paths[1]), (Steps{{'M', 50, 0},
                                        {'L', 100, 0},
                                        {'L', 100, 100},
                                        {'L', 50, 100},
                                        {'L', 50, 0},
                                        {'M', 200, 0},
                                        {'L', 300, 0},
                                        {'L', 300, 50}}));
}

TEST(ShapeBuild, StrokesKeepTheirOrderAndMoveAtEachBreakAfterTheFills) {
    Records r(1, 2);
    r.style(-1, -1, 2).move(0, 0).to(10, 0).to(10, 10);
    r.style(-1, 1, 1).move(20, 0).to(30, 0).to(20, 0);
    r.style(-1, 0, 2).move(40, 0).to(50, 0);
    r.style(-1, -1, 3).to(60, 0); // no such line style: not stroked
    const swf::Shape s = r.build();
    ASSERT_EQ(s.paths.size(), 3u);
    EXPECT_EQ(s.paths[0].fill, 0);
    EXPECT_EQ(s.paths[1].line, 0);
    EXPECT_EQ(steps(s.paths[1]), (Steps{{'M', 20, 0}, {'L', 30, 0}, {'L', 20, 0}}));
    EXPECT_EQ(s.paths[2].line, 1);
    EXPECT_EQ(steps(s.paths[2]), (Steps{{'M', 0, 0}, {'L', 10, 0}, {'L', 10, 10}, {'M', 40, 0}, {'L', 50, 0}}));
}

} // namespace
