#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <zlib.h>

namespace fs = std::filesystem;

namespace vorlith::test {

std::string BigEndian32(uint32_t value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

std::string PngChunk(const std::string& type, const std::string& body) {
    const std::string covered = type + body;
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(covered.data()), static_cast<uInt>(covered.size()));
    return BigEndian32(static_cast<uint32_t>(body.size())) + covered +
           BigEndian32(static_cast<uint32_t>(crc));
}

std::string ZlibCompressed(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()));
    out.resize(size);
    return out;
}

std::string Png(const std::string& before, const std::string& after) {
    const std::string header =
        BigEndian32(1) + BigEndian32(1) + std::string("\x08\x00\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header) + before +
           PngChunk("IDAT", ZlibCompressed(std::string("\x00\x80", 2))) + after +
           PngChunk("IEND", "");
}

std::string PngTextChunk(const std::string& keyword, const std::string& text) {
    return PngChunk("tEXt", keyword + '\0' + text);
}

std::string PreviewPng(const std::string& uri, const std::string& modified) {
    return Png(PngTextChunk("Thumb::URI", uri) + PngTextChunk("Thumb::MTime", modified) +
               PngTextChunk("Software", "GNOME::ThumbnailFactory"));
}

TempFolder::TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vorlith-test-XXXXXX";
    m_path = ::mkdtemp(pattern.data()) ? pattern : "";
}

TempFolder::~TempFolder() {
    std::error_code error;
    // Folders a test made unreadable must become readable again to be removed.
    for (auto it = fs::recursive_directory_iterator(
             m_path, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_path, error);
}

std::string TempFolder::write(const std::string& relative, const std::string& bytes) const {
    fs::path path = fs::path(m_path) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

std::string TempFolder::makeFolder(const std::string& relative) const {
    fs::create_directories(*this / relative);
    return *this / relative;
}

namespace {
void SetEnv(const std::string& name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}
} // namespace

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value)
    : m_name(name) {
    if (const char* old = std::getenv(name.c_str()))
        m_old = old;
    SetEnv(name, value);
}

ScopedEnv::~ScopedEnv() {
    SetEnv(m_name, m_old);
}

FakeHome::FakeHome() {
    const std::pair<const char*, const char*> folders[] = {{"XDG_CONFIG_HOME", ".config"},
                                                           {"XDG_DATA_HOME", ".local/share"},
                                                           {"XDG_CACHE_HOME", ".cache"},
                                                           {"XDG_RUNTIME_DIR", "run"},
                                                           {"XDG_CONFIG_DIRS", "etc-xdg"}};
    m_env.reserve(6);
    m_env.emplace_back("HOME", m_folder.path());
    for (auto [name, folder] : folders)
        m_env.emplace_back(name, m_folder.makeFolder(folder));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

DateTime FakeClock::toLocal(FileTime utc) const {
    return utc == 0 ? DateTime{}
                    : CivilFromUnixSeconds(int64_t(utc / 10'000'000) - kSecondsFrom1601To1970);
}

} // namespace vorlith::test
