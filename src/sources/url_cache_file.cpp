#include "sources/url_cache_file.h"

#include "platform/clock.h"
#include "platform/file_system.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <limits>

namespace vorlith {
namespace {

using Json = nlohmann::json;

// The key's JSON value when the line has it and it is not null.
const Json* valueOf(const Json& object, const char* key) {
    auto found = object.find(key);
    if (found == object.end() || found->is_null())
        return nullptr;
    return &*found;
}

// Reads one key into its field; false (with the reason) when the value is of the wrong kind.
class LineReader {
public:
    explicit LineReader(const Json& object) : m_object(object) {}

    void text(const char* key, std::optional<std::string>& field) {
        const Json* value = valueOf(m_object, key);
        if (!value)
            return;
        if (!value->is_string())
            return fail(key, "must be a text");
        field = value->get<std::string>();
    }

    void integer32(const char* key, int32_t& field) {
        const Json* value = valueOf(m_object, key);
        if (!value)
            return;
        if (value->is_number_unsigned()) {
            const auto number = value->get<uint64_t>();
            if (number > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
                return fail(key, "is outside the 32-bit range");
            field = static_cast<int32_t>(number);
        } else if (value->is_number_integer()) {
            const auto number = value->get<int64_t>();
            if (number < std::numeric_limits<int32_t>::min())
                return fail(key, "is outside the 32-bit range");
            field = static_cast<int32_t>(number);
        } else {
            fail(key, "must be a whole number");
        }
    }

    void size(const char* key, uint64_t& field) {
        const Json* value = valueOf(m_object, key);
        if (!value)
            return;
        if (!value->is_number_unsigned())
            return fail(key, "must be a whole number from 0 up");
        field = value->get<uint64_t>();
    }

    void type(const char* key, uint32_t& field) {
        const Json* value = valueOf(m_object, key);
        if (!value)
            return;
        if (value->is_number_unsigned()) {
            const auto number = value->get<uint64_t>();
            if (number > std::numeric_limits<uint32_t>::max())
                return fail(key, "is outside the 32-bit range");
            field = static_cast<uint32_t>(number);
            return;
        }
        if (value->is_string()) {
            if (auto flags = parseHex(value->get_ref<const std::string&>())) {
                field = *flags;
                return;
            }
        }
        fail(key, "must be a number or a text \"0x\" followed by up to 8 hexadecimal digits");
    }

    void time(const char* key, FileTime& field) {
        const Json* value = valueOf(m_object, key);
        if (!value)
            return;
        std::optional<FileTime> parsed;
        if (value->is_string())
            parsed = ParseUtcTimestamp(value->get_ref<const std::string&>());
        if (!parsed)
            return fail(key, "must be a UTC time such as \"2026-12-01T09:30:00Z\"");
        field = *parsed;
    }

    const std::string& error() const { return m_error; }

private:
    void fail(const char* key, const char* reason) {
        if (m_error.empty())
            m_error = std::string("\"") + key + "\" " + reason;
    }

    static std::optional<uint32_t> parseHex(std::string_view text) {
        if (text.size() < 3 || text.size() > 10 || text[0] != '0' ||
            (text[1] != 'x' && text[1] != 'X'))
            return std::nullopt;
        uint32_t flags = 0;
        for (char c : text.substr(2)) {
            uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<uint32_t>(c - 'A' + 10);
            else
                return std::nullopt;
            flags = flags << 4 | digit;
        }
        return flags;
    }

    const Json& m_object;
    std::string m_error;
};

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

} // namespace

UrlCacheLine ParseUrlCacheLine(std::string_view line) {
    UrlCacheLine result;
    const Json object = Json::parse(line, nullptr, /*allow_exceptions=*/false);
    if (object.is_discarded()) {
        result.error = "not valid JSON";
        return result;
    }
    if (!object.is_object()) {
        result.error = "not a JSON object";
        return result;
    }
    platform::RawUrlCacheEntry entry;
    LineReader reader(object);
    reader.type("type", entry.type);
    reader.text("url", entry.sourceUrlName);
    reader.text("local_file", entry.localFileName);
    reader.text("header_info", entry.headerInfo);
    reader.text("file_extension", entry.fileExtension);
    reader.integer32("use_count", entry.useCount);
    reader.integer32("hit_rate", entry.hitRate);
    reader.size("size", entry.size);
    reader.time("last_modified", entry.lastModifiedTime);
    reader.time("expire", entry.expireTime);
    reader.time("last_access", entry.lastAccessTime);
    reader.time("last_sync", entry.lastSyncTime);
    std::optional<std::string> browser, profile;
    reader.text("browser", browser);
    reader.text("profile", profile);
    if (browser || profile)
        entry.origin = std::make_shared<const platform::UrlCacheOrigin>(
            platform::UrlCacheOrigin{browser.value_or(""), profile.value_or("")});
    if (!reader.error().empty()) {
        result.error = reader.error();
        return result;
    }
    result.entry = std::move(entry);
    return result;
}

void UrlCacheFileSource::ReportToStandardError(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
}

UrlCacheFileSource::UrlCacheFileSource(std::string path, ErrorSink errors)
    : m_path(std::move(path)), m_errors(std::move(errors)) {}

bool UrlCacheFileSource::begin() {
    auto text = platform::ReadWholeFile(m_path);
    if (!text) {
        m_errors("vorlith: cannot read the URL-cache file " + m_path);
        return false;
    }
    m_text = std::move(*text);
    // A byte-order mark some editors put at the start is not part of the first line's JSON.
    m_position = m_text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    m_lineNumber = 0;
    return true;
}

std::optional<platform::RawUrlCacheEntry> UrlCacheFileSource::next() {
    while (m_position < m_text.size()) {
        size_t lineEnd = m_text.find('\n', m_position);
        if (lineEnd == std::string::npos)
            lineEnd = m_text.size();
        const std::string_view line(m_text.data() + m_position, lineEnd - m_position);
        m_position = lineEnd + 1;
        ++m_lineNumber;
        if (isBlank(line))
            continue;
        UrlCacheLine parsed = ParseUrlCacheLine(line);
        if (parsed.entry) {
            // Lines of one profile share one record of it, as a browser's entries do.
            auto& origin = parsed.entry->origin;
            if (origin && m_lastOrigin && *origin == *m_lastOrigin)
                origin = m_lastOrigin;
            else if (origin)
                m_lastOrigin = origin;
            return std::move(parsed.entry);
        }
        m_errors("vorlith: " + m_path + ": line " + std::to_string(m_lineNumber) + ": " +
                 parsed.error + "; line skipped");
    }
    return std::nullopt;
}

void UrlCacheFileSource::end() {
    m_lastOrigin.reset();
    m_text.clear();
    m_text.shrink_to_fit();
    m_position = 0;
}

} // namespace vorlith
