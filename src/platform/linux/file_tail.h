#pragma once
// The tail of a regular file read relative to an open folder, shared by the file access and the
// walk's folders on Linux.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vorlith::platform {

/// ReadRegularFileTail for `path` taken relative to the open folder `folder` (AT_FDCWD: the
/// working folder): open (never following a link at the last name, never waiting), fstat, one
/// pread, close.
std::optional<uint64_t> ReadRegularFileTailAt(int folder, const char* path, char* out,
                                              size_t count, size_t& got);

} // namespace vorlith::platform
