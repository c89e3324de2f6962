#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the picture window shows for the Image field of the coin in the form: the picture, a
// file to decode, or a plain line of text saying why there is nothing to show. A list, so
// that a field naming the coin's other side as well can show both; today the form's field is
// one line and names one file.
// Deciding touches the file system only with stat(2), which never waits for a pipe's writer.

struct PictureSide {
    std::string path;     // the file to decode, resolved against the folder; empty with a problem
    std::string name;     // the file's name, shown under the picture
    std::string problem;  // the line shown instead of a picture; empty when there is a file
};

// The sides for `imageField`, relative paths taken from `folder` (the collection folder, the
// current one): its first line that is not empty. An empty field gives one side with the
// "no picture" line.
std::vector<PictureSide> ChoosePictures(std::string_view imageField, const std::string& folder);

// Opens a picture file for reading without waiting: a file that is not an ordinary file (a
// pipe, a device, a folder) is refused, even when it became one since it was chosen. The
// descriptor, blocking again, or -1 with `problem` set to the line to show.
int OpenPictureFile(const PictureSide& side, std::string& problem);

// The line shown when a file was read and is no picture that can be shown.
std::string UndecodablePictureLine(std::string_view name);

// The line shown when a picture is larger than a picture is decoded at.
std::string TooLargePictureLine(std::string_view name, long long width, long long height);

// The line shown while a large picture is being decoded.
std::string LoadingPictureLine(std::string_view name);

// The size a picture of `width` x `height` is drawn at to fit in `boxWidth` x `boxHeight`,
// keeping its shape: never larger than it is, never smaller than one pixel.
struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};
PictureSize FitPicture(int width, int height, int boxWidth, int boxHeight);
