// Windows keeps no freedesktop previews: its own thumbnail stores (Thumbs.db, the thumbcache
// files) are found by the drive walk, so there are no preview folders to give.

#include "platform/thumbnail_locations.h"

namespace vorlith::platform {

std::vector<ThumbnailFolder> FindThumbnailFolders(const std::vector<std::string>&) {
    return {};
}

} // namespace vorlith::platform
