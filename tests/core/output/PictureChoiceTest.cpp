#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/TestSupport.h"
#include "output/PictureChoice.h"

namespace {

TEST(PictureChoice, SaysWhyThereIsNothingToShowOrNamesTheFile)
{
    TempDir dir;
    WriteBytes(dir.path / "obverse.jpg", "not checked here");
    WriteBytes(dir.path / "reverse.png", "x");
    fs::create_directory(dir.path / "folder");
    ASSERT_EQ(::mkfifo(dir.File("pipe.jpg").c_str(), 0600), 0);
    const std::string folder = dir.path.string();

    struct Case {
        const char* field;
        std::vector<std::string> paths;     // resolved, or "" for a line
        std::vector<std::string> problems;  // "" for a picture
    };
    const std::string obverse = folder + "/obverse.jpg";
    const Case cases[] = {
        {"", {""}, {"No picture: the Image field is empty."}},
        {" \r\n \n", {""}, {"No picture: the Image field is empty."}},
        {"obverse.jpg", {obverse}, {""}},
        {"  obverse.jpg \r", {obverse}, {""}},
        {"missing.jpg", {""}, {"No such file: missing.jpg"}},
        {"folder", {""}, {"Not a picture file: folder"}},
        {"pipe.jpg", {""}, {"Not a picture file: pipe.jpg"}},  // and no wait for a writer
        {"https://example.org/c.jpg", {""}, {"A picture on the web is opened with View: https://example.org/c.jpg"}},
        // A value of several lines (from the data file) names its first file.
        {"\nobverse.jpg\nreverse.png", {obverse}, {""}},
    };
    for (const Case& c : cases) {
        const std::vector<PictureSide> sides = ChoosePictures(c.field, folder);
        std::vector<std::string> paths, problems;
        for (const PictureSide& side : sides)
            paths.push_back(side.path), problems.push_back(side.problem);
        EXPECT_EQ(paths, c.paths) << c.field;
        EXPECT_EQ(problems, c.problems) << c.field;
    }
    EXPECT_EQ(ChoosePictures("sub/dir/coin.jpg", folder).front().name, "coin.jpg");
    EXPECT_EQ(ChoosePictures(obverse, "/elsewhere").front().path, obverse);  // absolute stays
}

TEST(PictureChoice, OpensOnlyOrdinaryFilesAndNeverWaitsForAPipe)
{
    TempDir dir;
    WriteBytes(dir.path / "coin.jpg", "bytes");
    const std::vector<PictureSide> sides = ChoosePictures("coin.jpg", dir.path.string());
    ASSERT_TRUE(sides.front().problem.empty());

    std::string problem;
    const int fd = OpenPictureFile(sides.front(), problem);
    ASSERT_GE(fd, 0) << problem;
    char buffer[8];
    EXPECT_EQ(::read(fd, buffer, sizeof buffer), 5);
    ::close(fd);

    // The file became a pipe after it was chosen: refused at once, not a wait for a writer.
    fs::remove(dir.path / "coin.jpg");
    ASSERT_EQ(::mkfifo(dir.File("coin.jpg").c_str(), 0600), 0);
    EXPECT_EQ(OpenPictureFile(sides.front(), problem), -1);
    EXPECT_EQ(problem, "Not a picture file: coin.jpg");
    fs::remove(dir.path / "coin.jpg");
    EXPECT_EQ(OpenPictureFile(sides.front(), problem), -1);
    EXPECT_EQ(problem, "No such file: coin.jpg");
}

TEST(PictureChoice, FitsThePictureKeepingItsShapeAndNeverEnlargesIt)
{
    EXPECT_EQ(FitPicture(10000, 10000, 400, 300), (PictureSize{300, 300}));
    EXPECT_EQ(FitPicture(4000, 1000, 400, 300), (PictureSize{400, 100}));
    EXPECT_EQ(FitPicture(200, 100, 400, 300), (PictureSize{200, 100}));
    EXPECT_EQ(FitPicture(100000, 1, 400, 300), (PictureSize{400, 1}));
    EXPECT_EQ(FitPicture(0, 100, 400, 300), PictureSize{});
    EXPECT_EQ(FitPicture(100, 100, 0, 300), PictureSize{});
}

}  // namespace
