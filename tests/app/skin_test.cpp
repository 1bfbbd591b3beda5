// The .skn file format and the skin component.
#include "app_fixtures.h"

#include "app/main/skin_component.h"
#include "skins/skin_file.h"
#include "support/test_paths.h"

#include <QBuffer>
#include <QImage>
#include <QMainWindow>

namespace {

QByteArray pngBytes() {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

skins::SkinPackage samplePackage() {
    skins::SkinPackage p;
    p.files["style.qss"] = "QMainWindow { background-image: url(skin:stripe.png); }";
    p.files["stripe.png"] = pngBytes();
    return p;
}

bool parses(const QByteArray& data) {
    return std::holds_alternative<skins::SkinPackage>(skins::parseSkin(data));
}

QString writeTemp(QTemporaryDir& dir, const QString& name, const QByteArray& data) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
    return f.fileName();
}

} // namespace

TEST(SkinFile, RoundTripsAndRejectsEveryBrokenShape) {
    const QByteArray good = skins::serializeSkin(samplePackage());
    auto back = skins::parseSkin(good);
    ASSERT_TRUE(std::holds_alternative<skins::SkinPackage>(back));
    EXPECT_EQ(std::get<skins::SkinPackage>(back).files, samplePackage().files);

    for (qsizetype cut : {qsizetype(0), qsizetype(5), good.size() / 2, good.size() - 1})
        EXPECT_FALSE(parses(good.left(cut))) << cut;
    EXPECT_FALSE(parses(good + "x"));
    const QByteArray sizeLine =
        "style.qss " + QByteArray::number(samplePackage().files.at("style.qss").size()) + "\n";
    ASSERT_TRUE(good.contains(sizeLine));
    QByteArray wrongSize = good;
    wrongSize.replace(sizeLine, "style.qss 3\n");
    EXPECT_FALSE(parses(wrongSize));
    EXPECT_FALSE(parses("REELVISTA-SKIN 1\nstyle.qss 99999999999999999999\nEND\n"));
    EXPECT_FALSE(parses("REELVISTA-SKIN 1\nstyle.qss -1\nEND\n"));
    EXPECT_FALSE(parses("REELVISTA-SKIN 1\n../evil 1\nx\nEND\n"));
    EXPECT_FALSE(parses("REELVISTA-SKIN 1\nstyle.qss 1\na\nstyle.qss 1\nb\nEND\n"));
    EXPECT_FALSE(parses("REELVISTA-SKIN 1\nother.png 1\na\nEND\n")); // no style sheet
    EXPECT_TRUE(parses("REELVISTA-SKIN 1\nstyle.qss 0\n\nEND\n"));
    EXPECT_FALSE(skins::isValidEntryName(".hidden"));
    EXPECT_FALSE(skins::isValidEntryName("a/b"));
}

TEST(SkinComponent, TakesASkinAndPaintsTheWindowsItWasAppliedTo) {
    QTemporaryDir dir;
    auto written = skins::writeSkinFile(dir.filePath("good.skn"), samplePackage());
    ASSERT_FALSE(std::holds_alternative<swf::Error>(written));

    QMainWindow window;
    SkinComponent skn;
    skn.applySkin(&window); // nothing taken yet: the window keeps its look
    EXPECT_EQ(window.styleSheet(), "");
    ASSERT_TRUE(skn.loadSkin(dir.filePath("good.skn")));
    EXPECT_TRUE(window.styleSheet().contains("stripe.png"));
    EXPECT_FALSE(window.styleSheet().contains("skin:"));
    // The picture the sheet points at exists.
    const QString sheet = window.styleSheet();
    const qsizetype at = sheet.indexOf("url(") + 4;
    EXPECT_TRUE(QFile::exists(sheet.mid(at, sheet.indexOf(')', at) - at)));

    // Missing and broken files leave the window as it is.
    const QString before = window.styleSheet();
    EXPECT_FALSE(skn.loadSkin(dir.filePath("missing.skn")));
    EXPECT_FALSE(
        skn.loadSkin(writeTemp(dir, "cut.skn", skins::serializeSkin(samplePackage()).left(40))));
    skins::SkinPackage badPicture = samplePackage();
    badPicture.files["stripe.png"] = "not a picture";
    EXPECT_FALSE(skn.loadSkin(writeTemp(dir, "bad.skn", skins::serializeSkin(badPicture))));
    skins::SkinPackage dangling = samplePackage();
    dangling.files.erase("stripe.png");
    EXPECT_FALSE(skn.loadSkin(writeTemp(dir, "dangling.skn", skins::serializeSkin(dangling))));
    EXPECT_EQ(window.styleSheet(), before);

    skn.useStoredSkin();
    EXPECT_EQ(window.styleSheet(), standardSkinStyleSheet());
    QWidget dialog;
    applyStoredSkin(dialog);
    EXPECT_EQ(dialog.styleSheet(), standardSkinStyleSheet());
}

TEST(SkinComponent, TheShippedAquaSkinLoads) {
    const QString shipped =
        QString::fromStdString((testpaths::programDir() / "skins/winaqua.skn").string());
    if (!QFile::exists(shipped)) GTEST_SKIP() << "skins not built";
    SkinComponent skn;
    ASSERT_TRUE(skn.loadSkin(shipped));
    EXPECT_TRUE(skn.styleSheet().contains("QScrollBar"));
}

class SkinnedWindow : public apptest::FormFixture {};

TEST_F(SkinnedWindow, StartUpAppliesTheProgramFoldersSkinWhenThereIsOne) {
    apptest::MovieFolder folder;
    QTemporaryDir program;
    QDir(program.path()).mkdir("skins");
    ASSERT_FALSE(std::holds_alternative<swf::Error>(
        skins::writeSkinFile(program.filePath("skins/winaqua.skn"), samplePackage())));
    programDir = program.path();
    loadForm(folder.path());
    EXPECT_TRUE(form->styleSheet().contains("stripe.png"));
    form.reset();

    programDir = QDir::tempPath() + "/reelvista-no-program-dir";
    loadForm(folder.path());
    EXPECT_EQ(form->styleSheet(), "");
}
