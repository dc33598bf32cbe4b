#pragma once
// A URL cache exported to a file: JSON Lines, one cache entry per line, so that any set of
// entries (a test's, a demo's, a user's own export) can be audited.
//
// Keys of a line's object, all optional: "type" (a number, or a text "0x…" in hexadecimal),
// "url", "local_file", "header_info", "file_extension" (texts), "use_count", "hit_rate" (32-bit
// integers), "size" (bytes, a whole number from 0 up), "last_modified", "expire",
// "last_access", "last_sync" (UTC times such as "2026-12-01T09:30:00Z"), "browser", "profile"
// (texts: where the entry came from; without both, the system's own cache). A missing key or
// null gives the empty text, 0 or the zero time; other keys are ignored.

#include "base/calendar.h" // ParseUtcTimestamp, the times of a line
#include "platform/url_cache.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vorlith {

/// One line of the file: the entry, or why the line is not one (then entry is empty).
struct UrlCacheLine {
    std::optional<platform::RawUrlCacheEntry> entry;
    std::string error;
};

/// Parses one line. Not a JSON object, or a key of the wrong kind (a text where a number belongs,
/// a count outside 32 bits, a negative size, a time in another form), gives an error.
UrlCacheLine ParseUrlCacheLine(std::string_view line);

/// Reads the entries of a JSON Lines file in file order. Blank lines are skipped; a line that is
/// not a valid entry is reported through the error sink with the file name and its line number
/// and skipped, and the reading goes on. begin() is false (and reported) when the file cannot be
/// read.
class UrlCacheFileSource final : public platform::UrlCacheSource {
public:
    using ErrorSink = std::function<void(const std::string& message)>;
    /// Writes the message and a line end to standard error.
    static void ReportToStandardError(const std::string& message);

    explicit UrlCacheFileSource(std::string path, ErrorSink errors = ReportToStandardError);

    bool begin() override;
    std::optional<platform::RawUrlCacheEntry> next() override;
    void end() override;

private:
    std::string m_path;
    ErrorSink m_errors;
    std::string m_text; // the whole file while an enumeration runs
    size_t m_position = 0;
    size_t m_lineNumber = 0;
    std::shared_ptr<const platform::UrlCacheOrigin> m_lastOrigin; // of the last line that had one
};

} // namespace vorlith
