#pragma once
// Where the desktop keeps its previews of pictures and documents: the freedesktop thumbnail
// folders ($XDG_CACHE_HOME/thumbnails, formerly ~/.thumbnails), one per preview size and one per
// program below "fail" for files no preview could be made of.

#include <string>
#include <vector>

namespace vorlith::platform {

enum class ThumbnailSize {
    Normal,  // "normal": up to 128 pixels
    Large,   // "large": up to 256
    XLarge,  // "x-large": up to 512
    XXLarge, // "xx-large": up to 1024
    Failed,  // a program's folder below "fail": markers of failed attempts, no real picture
};

struct ThumbnailFolder {
    std::string path;
    ThumbnailSize size = ThumbnailSize::Normal;
};

/// The preview folders that exist: this user's ($XDG_CACHE_HOME/thumbnails, then
/// ~/.thumbnails), then, for each drive root given, those of every home found below it (the root
/// itself, each folder directly below it and each below its "home" folder, each with
/// .cache/thumbnails and .thumbnails) where they can be read. In each thumbnail folder the sizes
/// come in the order normal, large, x-large, xx-large, then the programs below fail by name.
/// Below the user's cache folder and below a drive root no symbolic link is followed; a folder
/// reached twice is given once.
std::vector<ThumbnailFolder> FindThumbnailFolders(const std::vector<std::string>& driveRoots = {});

} // namespace vorlith::platform
