// The parts of the file system layer that are the same on every platform: they use only the
// platform's own functions.

#include "platform/file_system.h"

namespace vorlith::platform {

std::string FolderOfPath(std::string_view path) {
    const size_t nameLength = BaseName(path).size();
    if (nameLength == path.size())
        return ".";
    const std::string_view folder = path.substr(0, path.size() - nameLength - 1);
    // A name right below the root keeps the root's separator.
    return std::string(folder.empty() ? path.substr(0, 1) : folder);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    auto file = OpenInputFile(path);
    if (!file)
        return std::nullopt;
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        size_t got = file->read(buffer, sizeof buffer);
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
    auto file = CreateOutputFile(path);
    if (!file)
        return false;
    file->write(bytes);
    return file->close();
}

void RemoveStaleTemporaries(const std::string& path) {
    const std::string folder = FolderOfPath(path);
    const std::string prefix = BaseName(path).append(kTemporaryInfix);
    auto listing = ListFolder(folder);
    if (!listing)
        return;
    while (auto entry = listing->next()) {
        const std::string& name = entry->name;
        if (entry->kind != EntryKind::File || name.size() <= prefix.size() ||
            name.compare(0, prefix.size(), prefix) != 0 ||
            name.find_first_not_of("0123456789", prefix.size()) != std::string::npos)
            continue;
        DeleteFile(JoinPath(folder, name));
    }
}

std::vector<std::string> ListFolderPaths(const std::string& path) {
    std::vector<std::string> paths;
    auto listing = ListFolder(path);
    if (!listing)
        return paths;
    while (auto entry = listing->next()) {
        if (entry->name == "." || entry->name == ".." || entry->name.empty())
            continue;
        paths.push_back(JoinPath(path, entry->name));
    }
    return paths;
}

} // namespace vorlith::platform
