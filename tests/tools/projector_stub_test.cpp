// The projector stub the build lays into the program folder, run as a user's projector
// would run: built into a projector by Swf2Exe, started headless, asked for its movie.
#include "app/tools/exe2swf.h"
#include "app/tools/projector_format.h"
#include "app/tools/swf2exe.h"
#include "support/test_paths.h"
#include "swf/display/movie.h"
#include "swf/writer/writer.h"
#include "tool_fakes.h"

#include <QProcess>

namespace {

using namespace tooltest;

// A movie of `frames` frames, each showing a red square at another place.
Bytes sampleMovie(int frames, swf::writer::Compression compression) {
    using namespace swf::writer;
    MovieWriter movie(10, {0, 6400, 0, 4800}, 12);
    movie.add(setBackgroundColor({255, 255, 255}));
    ShapeBuilder square;
    square.fill1(square.addFill(FillStyle::solid({200, 40, 40}))).rect(0, 0, 600, 600);
    const uint16_t id = movie.newId();
    movie.add(defineShape(id, square, 3)).place(1, id).showFrame();
    for (int f = 1; f < frames; ++f)
        movie.move(1, swf::Matrix::translate(200 * f, 0)).showFrame();
    return movie.bytes(compression);
}

struct ProjectorRun {
    int exitCode = -1;
    QString out, err;
};

// Runs a projector headless with --print-frames. A stub that hangs fails here rather
// than blocking the suite.
ProjectorRun runProjector(const std::filesystem::path& program) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(QString::fromStdString(program.string()), {"--print-frames"});
    ProjectorRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program << " did not finish normally";
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

class ProjectorStub : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_regular_file(stub)) << stub << " was not built";
    }

    // A projector made of the stub, `tail` and a trailer stating `stated` bytes.
    std::filesystem::path handMade(const Bytes& tail, std::uint32_t stated) {
        const auto trailer = tools::encodeProjectorTrailer(stated);
        const auto path = dir.path("hand.exe");
        writeBytes(path,
                   concat(concat(readBytes(stub), tail), Bytes(trailer.begin(), trailer.end())));
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    const std::filesystem::path stub = testpaths::programDir() / "exeh";
    ScratchDir dir;
};

TEST_F(ProjectorStub, PlaysTheMovieSwf2ExeAppendsPlainOrCompressed) {
    using swf::writer::Compression;
    for (auto [frames, compression] : {std::pair{5, Compression::None}, {9, Compression::Zlib}}) {
        writeBytes(dir.path("Intro.swf"), sampleMovie(frames, compression));
        // The save dialog proposes the name without an extension.
        ASSERT_TRUE(swf::ok(tools::convertSwf2Exe(stub, dir.path("Intro.swf"), dir.path("Intro"))));
        const ProjectorRun run = runProjector(dir.path("Intro"));
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.trimmed(), QString::number(frames));
    }
}

TEST_F(ProjectorStub, WithoutAPlayableMovieItSaysSoAndFails) {
    const ProjectorRun bare = runProjector(stub);
    EXPECT_NE(bare.exitCode, 0);
    EXPECT_TRUE(bare.err.contains("carries no movie")) << bare.err.toStdString();
    EXPECT_TRUE(bare.out.isEmpty());

    const Bytes movie = sampleMovie(3, swf::writer::Compression::None);
    struct Case {
        const char* what;
        Bytes tail;
        std::uint32_t stated;
        const char* says;
    } cases[] = {
        {"length beyond the file", movie, 0x7FFFFFF0, "damaged"},
        {"length past the largest movie", filler(100), 0xFFFFFFFF, "damaged"},
        {"no movie where the trailer points", filler(500), 500, "cannot be played"},
        {"an empty movie", {}, 0, "cannot be played"},
    };
    for (const Case& c : cases) {
        const ProjectorRun run = runProjector(handMade(c.tail, c.stated));
        EXPECT_NE(run.exitCode, 0) << c.what;
        EXPECT_TRUE(run.err.contains(c.says)) << c.what << ": " << run.err.toStdString();
    }
}

TEST_F(ProjectorStub, Exe2SwfTakesTheMovieBackOutOfARealProjector) {
    const Bytes movie = sampleMovie(4, swf::writer::Compression::Zlib);
    writeBytes(dir.path("a.swf"), movie);
    ASSERT_TRUE(swf::ok(tools::convertSwf2Exe(stub, dir.path("a.swf"), dir.path("a.exe"))));
    auto found = tools::convertExe2Swf(dir.path("a.exe"), dir.path("back.swf"));
    ASSERT_TRUE(swf::ok(found));
    ASSERT_TRUE(std::get<std::optional<tools::MovieLocation>>(found).has_value());
    const auto trailer = tools::encodeProjectorTrailer(std::uint32_t(movie.size()));
    EXPECT_EQ(readBytes(dir.path("back.swf")),
              concat(movie, Bytes(trailer.begin(), trailer.end())));
    auto loaded = swf::loadMovie(readBytes(dir.path("back.swf")));
    ASSERT_TRUE(swf::ok(loaded));
    EXPECT_EQ(std::get<swf::MoviePtr>(loaded)->frameCount(), 4);
}

} // namespace
