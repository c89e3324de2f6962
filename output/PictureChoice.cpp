#include "output/PictureChoice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "resources/FixedStrings.h"

namespace {

// An address (a scheme of two letters or more and a colon, such as "http:"), which the View
// button hands to the browser; a drive letter ("C:") is a path.
bool IsAddress(std::string_view text)
{
    std::size_t letters = 0;
    while (letters < text.size() &&
           ((text[letters] >= 'a' && text[letters] <= 'z') ||
            (text[letters] >= 'A' && text[letters] <= 'Z')))
        ++letters;
    return letters >= 2 && letters < text.size() && text[letters] == ':';
}

std::string FileName(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string Line(std::string_view before, std::string_view what, std::string_view after = {})
{
    std::string line(before);
    line += what;
    line += after;
    return line;
}

PictureSide Side(std::string_view written, const std::string& folder)
{
    PictureSide side;
    side.name = FileName(written);
    if (side.name.empty())
        side.name = std::string(written);
    if (IsAddress(written)) {
        side.problem = Line(strings::kPictureAddress, written);
        return side;
    }
    std::string path(written);
    if (!path.starts_with('/') && !folder.empty())
        path = folder + (folder.ends_with('/') ? "" : "/") + path;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        side.problem = Line(strings::kPictureMissing, written);
        return side;
    }
    if (!S_ISREG(info.st_mode)) {
        side.problem = Line(strings::kPictureNotAFile, written);
        return side;
    }
    side.path = std::move(path);
    return side;
}

}  // namespace

std::vector<PictureSide> ChoosePictures(std::string_view imageField, const std::string& folder)
{
    std::vector<PictureSide> sides;
    while (!imageField.empty() && sides.empty()) {
        const std::size_t lineBreak = imageField.find('\n');
        std::string_view line = imageField.substr(0, lineBreak);
        imageField.remove_prefix(lineBreak == std::string_view::npos ? imageField.size() : lineBreak + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (!line.empty())
            sides.push_back(Side(line, folder));
    }
    if (sides.empty())
        sides.push_back(PictureSide{{}, {}, std::string(strings::kPictureNone)});
    return sides;
}

int OpenPictureFile(const PictureSide& side, std::string& problem)
{
    const int fd = ::open(side.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        problem = Line(errno == ENOENT ? strings::kPictureMissing : strings::kPictureUnreadable,
                       side.name);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        problem = Line(strings::kPictureNotAFile, side.name);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

std::string UndecodablePictureLine(std::string_view name)
{
    return Line(strings::kPictureUndecodable, name);
}

std::string TooLargePictureLine(std::string_view name, long long width, long long height)
{
    return Line(strings::kPictureTooLarge, name,
                " (" + std::to_string(width) + " x " + std::to_string(height) + ")");
}

std::string LoadingPictureLine(std::string_view name)
{
    return Line(strings::kPictureLoading, name, "...");
}

PictureSize FitPicture(int width, int height, int boxWidth, int boxHeight)
{
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0)
        return {};
    if (width <= boxWidth && height <= boxHeight)
        return {width, height};
    const double scale = std::min(static_cast<double>(boxWidth) / width,
                                  static_cast<double>(boxHeight) / height);
    return {std::max(1, static_cast<int>(std::lround(width * scale))),
            std::max(1, static_cast<int>(std::lround(height * scale)))};
}
