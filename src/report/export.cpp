#include "report/export.h"

#include "base/text.h"
#include "base/text_encoding.h"
#include "classify/keywords.h"
#include "platform/file_access.h"
#include "platform/file_system.h"
#include "platform/output_folder.h"
#include "report/history_pages.h"
#include "report/image_pages.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <iterator>
#include <limits>

namespace vorlith {
namespace {

using Json = nlohmann::ordered_json;

// The first bytes of every export: what tells a previous export from someone else's file.
constexpr std::string_view kJsonSignature = R"({"format":"vorlith-export")";
constexpr std::string_view kCsvHeader = "kind,browser,profile,url,local_file,size,last_modified,"
                                        "expire,last_access,last_sync,hit_rate,categories\r\n";

constexpr std::array<const char*, 8> kCategoryNames{"explicit",  "teen",   "gay",  "gambling",
                                                    "personals", "sports", "news", "other"};
constexpr std::array<const char*, 3> kKindNames{"cached_file", "history", "cookie"};

constexpr CategorySet bit(TraceCategory category) {
    return static_cast<CategorySet>(1u << static_cast<unsigned>(category));
}

std::string_view signatureOf(ExportFormat format) {
    return format == ExportFormat::Json ? kJsonSignature : kCsvHeader;
}

// The folder part of a path ("." for a bare name), as the user wrote it.
std::string folderOf(const std::string& path) {
    const std::string folder = path.substr(0, path.size() - platform::BaseName(path).size());
    return folder.empty() ? "." : folder;
}

// Why what stands at `name` in `folder` may not be replaced by an export ("" when nothing
// stands there or it is a previous export of this format).
std::string refusalAt(platform::OutputFolder& folder, const std::string& path,
                      ExportFormat format) {
    const std::string name = platform::BaseName(path);
    const auto kind = folder.kindOf(name);
    if (!kind) {
        return platform::ExaminePath(path) == platform::PathPresence::Unknown
                   ? path + " cannot be examined"
                   : "";
    }
    switch (*kind) {
    case platform::EntryKind::SymbolicLink:
        return path + " is a symbolic link; an export is never written through one";
    case platform::EntryKind::Folder:
        return path + " is a folder";
    case platform::EntryKind::Other:
        return path + " is not a regular file";
    case platform::EntryKind::File:
        break;
    }
    const std::string_view signature = signatureOf(format);
    std::string start(signature.size(), '\0');
    auto file = platform::OpenRegularFile(platform::JoinPath(folder.path(), name));
    const size_t read = file ? file->readAt(0, start.data(), start.size()) : 0;
    if (read == signature.size() && start == signature)
        return "";
    return path + " exists and is not a previous Vorlith export; it is left alone";
}

// A time the store did not have is the zero time.
bool isKnown(const DateTime& time) {
    return time != DateTime{};
}

// "YYYY-MM-DDThh:mm:ss" of a known time.
void appendTime(std::string& out, const DateTime& time) {
    const size_t start = out.size();
    AppendGeneralDate(out, time);
    out[out.find(' ', start)] = 'T';
}

void appendNumber(std::string& out, int64_t value) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
    out.append(digits, result.ptr);
}

// Appends text as a JSON string: quotes, backslashes and control characters escaped, and each
// byte that starts no UTF-8 character (texts from the machine need not be UTF-8) as U+FFFD.
void appendJsonText(std::string& out, std::string_view text) {
    out += '"';
    for (size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x80) {
            uint32_t codePoint = 0;
            const size_t length = Utf8SequenceAt(text, pos, codePoint);
            if (length == 0) {
                out += "\xEF\xBF\xBD";
                ++pos;
            } else {
                out.append(text.substr(pos, length));
                pos += length;
            }
        } else if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
            ++pos;
        } else if (byte < 0x20 || byte == 0x7F) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
            ++pos;
        } else {
            // A run of plain characters goes out in one piece.
            size_t end = pos + 1;
            while (end < text.size()) {
                const auto next = static_cast<unsigned char>(text[end]);
                if (next < 0x20 || next >= 0x7F || next == '"' || next == '\\')
                    break;
                ++end;
            }
            out.append(text.substr(pos, end - pos));
            pos = end;
        }
    }
    out += '"';
}

void appendJsonTime(std::string& out, const DateTime& time) {
    if (!isKnown(time)) {
        out += "null";
        return;
    }
    out += '"';
    appendTime(out, time);
    out += '"';
}

// A browser trace as the export writes it. This and TraceOf are the only code that reads the
// URL-cache entries.
struct BrowserTrace {
    TraceKind kind;
    const platform::UrlCacheOrigin& origin;
    std::string_view url;
    std::string_view localFile;
    int64_t size;
    int32_t hitRate;
    std::array<DateTime, 4> times; // last modified, expire, last access, last sync
    CategorySet categories;
};

BrowserTrace TraceOf(TraceKind kind, UrlCacheEntryRef entry, const UrlCacheLists& lists) {
    return {kind,
            lists.originOf(entry),
            entry.SourceUrlName(),
            entry.LocalFileName(),
            entry.Size(),
            entry.HitRate(),
            {entry.LastModifiedTime(), entry.ExpireTime(), entry.LastAccessTime(),
             entry.LastSyncTime()},
            TraceCategories(kind, entry.SourceUrlName())};
}

template <typename Visit> void forEachTrace(const UrlCacheLists& lists, Visit&& visit) {
    const std::array<std::pair<TraceKind, const UrlCacheList*>, 3> kinds{
        {{TraceKind::CachedFile, &lists.CacheContentList},
         {TraceKind::History, &lists.CacheHistoryList},
         {TraceKind::Cookie, &lists.CacheCookieList}}};
    for (const auto& [kind, list] : kinds)
        for (UrlCacheEntryRef entry : *list)
            visit(TraceOf(kind, entry, lists));
}

// The parts every format shares: the file under its temporary name and the check at the end.
class ExportFile : public AuditExport {
public:
    ExportFile(std::unique_ptr<platform::OutputFolder> folder,
               std::unique_ptr<platform::OutputFile> file, std::string path, ExportFormat format)
        : m_folder(std::move(folder)), m_file(std::move(file)), m_path(std::move(path)),
          m_format(format) {}

    bool finish(std::string* problem) override {
        if (!m_file) {
            *problem = "The export " + m_path + " was not written.";
            return false;
        }
        writeEnd();
        std::string refusal = refusalAt(*m_folder, m_path, m_format);
        if (!refusal.empty()) {
            *problem = "The export was not written: " + refusal + ".";
            m_file.reset(); // the temporary file goes
            return false;
        }
        if (!m_file->close()) {
            *problem = "The export " + m_path + " could not be written.";
            return false;
        }
        return true;
    }

protected:
    void write(std::string_view bytes) { m_file->write(bytes); }
    virtual void writeEnd() = 0;

private:
    std::unique_ptr<platform::OutputFolder> m_folder;
    std::unique_ptr<platform::OutputFile> m_file;
    std::string m_path;
    ExportFormat m_format;
};

Json sizeOf(const std::string& path) {
    const auto size = platform::RegularFileSize(path);
    return size ? Json(*size) : Json(nullptr);
}

Json textOrNull(const std::string& text) {
    return text.empty() ? Json(nullptr) : Json(text);
}

constexpr uint64_t kTicksPerSecond = 10'000'000;

// "YYYY-MM-DDThh:mm:ssZ" of a file time the store gives in UTC; null when it gives none.
Json utcTimeOrNull(const std::optional<FileTime>& time) {
    if (!time)
        return nullptr;
    std::string text;
    appendTime(text, CivilFromUnixSeconds(static_cast<int64_t>(*time / kTicksPerSecond) -
                                          kSecondsFrom1601To1970));
    text += 'Z';
    return text;
}

const char* audioFormatName(AudioKind kind) {
    switch (kind) {
    case AudioKind::Mp3:
        return "mp3";
    case AudioKind::Wma:
        return "wma";
    case AudioKind::M4a:
        return "m4a";
    case AudioKind::Ogg:
        return "ogg";
    case AudioKind::None:
        break;
    }
    return nullptr;
}

// One object with the head's keys, then the arrays "disk" and "browser" with one finding to a
// line, then "totals".
class JsonExport final : public ExportFile {
public:
    JsonExport(std::unique_ptr<platform::OutputFolder> folder,
               std::unique_ptr<platform::OutputFile> file, std::string path,
               const DateTime& created)
        : ExportFile(std::move(folder), std::move(file), std::move(path), ExportFormat::Json) {
        std::string head(kJsonSignature);
        head += R"(,"version":1,"created":)";
        appendJsonTime(head, created);
        write(head);
    }

    void addAudioFiles(const FoundFileList& audio, const AudioFindings& findings) override {
        for (size_t index = 0; index < audio.size() && index < findings.files.size(); ++index) {
            // An entry of no audio kind (a folder named like one, "song.mp3.bak") is neither
            // counted nor shown by the audio page.
            const char* format = audioFormatName(findings.files[index].kind);
            if (!format)
                continue;
            Json item{{"kind", "audio"},
                      {"path", audio[index]},
                      {"size", sizeOf(audio[index])},
                      {"format", format}};
            if (const AudioTagText* tag = findings.tagOf(index))
                item["tag"] = Json{{"artist", tag->Artist},
                                   {"title", tag->Title},
                                   {"album", tag->Album},
                                   {"year", tag->Year}};
            else
                item["tag"] = nullptr;
            addItem(Section::Disk, item);
        }
    }

    void addVideoFiles(const FoundFileList& videos) override {
        for (const std::string& path : videos.entries())
            addItem(Section::Disk, Json{{"kind", "video"}, {"path", path}, {"size", sizeOf(path)}});
    }

    void addThumbStores(const ThumbFindings& thumbs, const DesktopThumbFindings& previews,
                        const std::string& shownThumbsFolder) override {
        for (const ThumbStore& store : thumbs.stores) {
            Json pictures = Json::array();
            for (const ThumbPicture& picture : store.pictures)
                pictures.push_back(
                    Json{{"file", platform::JoinPath(shownThumbsFolder, picture.fileName)},
                         {"original", textOrNull(picture.originalName)},
                         {"original_time", utcTimeOrNull(picture.originalTime)}});
            addItem(Section::Disk, Json{{"kind", "thumbnail_store"},
                                        {"path", store.path},
                                        {"size", sizeOf(store.path)},
                                        {"pictures", std::move(pictures)}});
        }
        for (const CopiedPreview& copied : previews.previews) {
            const FreedesktopPreview& preview = copied.preview;
            std::optional<FileTime> originalTime;
            if (preview.originalTime && *preview.originalTime >= -kSecondsFrom1601To1970)
                originalTime =
                    static_cast<FileTime>(*preview.originalTime + kSecondsFrom1601To1970) *
                    kTicksPerSecond;
            addItem(
                Section::Disk,
                Json{{"kind", "desktop_preview"},
                     {"path", preview.path},
                     {"size", sizeOf(preview.path)},
                     {"picture", platform::JoinPath(shownThumbsFolder, copied.fileName)},
                     {"original", textOrNull(preview.originalUri)},
                     {"original_time", utcTimeOrNull(originalTime)},
                     {"original_exists", preview.original == OriginalState::Unknown
                                             ? Json(nullptr)
                                             : Json(preview.original == OriginalState::Exists)}});
        }
    }

    void addFirefoxPictures(const FirefoxCacheFindings& firefox) override {
        for (const std::string& path : firefox.pictures)
            addItem(Section::Disk,
                    Json{{"kind", "firefox_picture"}, {"path", path}, {"size", sizeOf(path)}});
    }

    // A million traces are written by hand rather than through a JSON object each, which took
    // several times as long (bench_export).
    void addBrowserTraces(const UrlCacheLists& lists) override {
        static constexpr std::array<const char*, 4> kTimeKeys{
            R"(,"last_modified":)", R"(,"expire":)", R"(,"last_access":)", R"(,"last_sync":)"};
        std::string line;
        forEachTrace(lists, [&](const BrowserTrace& trace) {
            const bool fromProfile = !trace.origin.browser.empty() || !trace.origin.profile.empty();
            line.assign(R"({"kind":")");
            line += kKindNames[static_cast<size_t>(trace.kind)];
            line += R"(","browser":)";
            if (fromProfile)
                appendJsonText(line, trace.origin.browser);
            else
                line += "null";
            line += R"(,"profile":)";
            if (fromProfile)
                appendJsonText(line, trace.origin.profile);
            else
                line += "null";
            line += R"(,"url":)";
            appendJsonText(line, trace.url);
            line += R"(,"local_file":)";
            appendJsonText(line, trace.localFile);
            line += R"(,"size":)";
            appendNumber(line, trace.size);
            line += R"(,"hit_rate":)";
            appendNumber(line, trace.hitRate);
            for (size_t time = 0; time < kTimeKeys.size(); ++time) {
                line += kTimeKeys[time];
                appendJsonTime(line, trace.times[time]);
            }
            line += R"(,"categories":[)";
            bool isFirst = true;
            for (size_t category = 0; category < kCategoryNames.size(); ++category) {
                if (trace.categories & (1u << category)) {
                    line += isFirst ? "\"" : ",\"";
                    line += kCategoryNames[category];
                    line += '"';
                    isFirst = false;
                }
            }
            line += "]}";
            addLine(Section::Browser, line);
        });
    }

    void addTotals(const ExportTotals& totals) override {
        const UrlCachePageCounts& pages = totals.pages;
        const DiskScanCounts& disk = totals.disk;
        const double bytes = std::min(pages.CacheSizeTotal,
                                      static_cast<double>(std::numeric_limits<int64_t>::max()));
        const Json object{
            {"traces", totals.traces.TotalTraces},
            {"cached_files", totals.lists.CacheContentList.size()},
            {"explicit_images", pages.ExplicitImageCount},
            {"gambling_images", pages.GamblingImageCount},
            {"social_images", pages.PersonalsImageCount},
            {"sports_images", pages.SportsImageCount},
            {"news_images", pages.NewsImageCount},
            {"firefox_images", totals.firefoxImageCount},
            {"mp3_files", disk.Mp3Count},
            {"wma_files", disk.WmaCount},
            {"m4a_files", disk.M4aCount},
            {"ogg_files", disk.OggCount},
            {"audio_files", disk.Mp3Count + disk.WmaCount + disk.M4aCount + disk.OggCount},
            {"thumbnail_stores", disk.ThumbStoreCount},
            {"thumbnail_images", disk.ThumbImageCount},
            {"desktop_previews", disk.DesktopThumbCount},
            {"deleted_desktop_previews", disk.DeletedDesktopThumbCount},
            {"suspect_files", totals.traces.SuspectFiles},
            {"illegal_images", pages.TeenImageCount},
            {"history", totals.lists.CacheHistoryList.size()},
            {"suspect_history", pages.SuspectHistory},
            {"cookies", totals.lists.CacheCookieList.size()},
            {"suspect_cookies", pages.SuspectCookies},
            {"cookie_reads", pages.CookieReads},
            {"history_visits", pages.HistoryHits},
            {"suspect_traces", totals.traces.SuspectTraces},
            {"bytes", static_cast<int64_t>(bytes)}};
        enter(Section::Totals);
        write(dump(object));
        m_hasTotals = true;
    }

private:
    enum class Section { Head, Disk, Browser, Totals };

    static std::string dump(const Json& value) {
        // Texts from the machine need not be UTF-8; a byte that is not becomes U+FFFD instead of
        // ending the export.
        return value.dump(-1, ' ', false, Json::error_handler_t::replace);
    }

    // Closes the sections before `section` and opens it; the arrays are always both written.
    void enter(Section section) {
        assert(section >= m_section && "export sections in order");
        while (m_section < section) {
            if (m_section == Section::Disk || m_section == Section::Browser)
                write("\n]");
            m_section = static_cast<Section>(static_cast<int>(m_section) + 1);
            m_isFirstItem = true;
            if (m_section == Section::Disk)
                write(",\n\"disk\":[");
            else if (m_section == Section::Browser)
                write(",\n\"browser\":[");
            else
                write(",\n\"totals\":");
        }
    }

    void addItem(Section section, const Json& item) { addLine(section, dump(item)); }

    void addLine(Section section, std::string_view line) {
        enter(section);
        write(m_isFirstItem ? "\n" : ",\n");
        m_isFirstItem = false;
        write(line);
    }

    void writeEnd() override {
        enter(Section::Totals);
        if (!m_hasTotals)
            write("null");
        write("}\n");
    }

    Section m_section = Section::Head;
    bool m_isFirstItem = true;
    bool m_hasTotals = false;
};

// RFC 4180: a field holding a comma, a quote or a line break is quoted, its quotes doubled.
void appendCsvField(std::string& row, std::string_view field) {
    // One pass over the field (find_first_of would search the four characters at each byte).
    if (std::none_of(field.begin(), field.end(),
                     [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; })) {
        row += field;
        return;
    }
    row += '"';
    for (char c : field) {
        if (c == '"')
            row += '"';
        row += c;
    }
    row += '"';
}

// The browser traces as one table, one row to a trace.
class CsvExport final : public ExportFile {
public:
    // The header row is also the signature a later run recognises.
    CsvExport(std::unique_ptr<platform::OutputFolder> folder,
              std::unique_ptr<platform::OutputFile> file, std::string path)
        : ExportFile(std::move(folder), std::move(file), std::move(path), ExportFormat::Csv) {
        write(kCsvHeader);
    }

    void addAudioFiles(const FoundFileList&, const AudioFindings&) override {}
    void addVideoFiles(const FoundFileList&) override {}
    void addThumbStores(const ThumbFindings&, const DesktopThumbFindings&,
                        const std::string&) override {}
    void addFirefoxPictures(const FirefoxCacheFindings&) override {}
    void addTotals(const ExportTotals&) override {}

    void addBrowserTraces(const UrlCacheLists& lists) override {
        std::string row;
        forEachTrace(lists, [&](const BrowserTrace& trace) {
            row.assign(kKindNames[static_cast<size_t>(trace.kind)]);
            for (std::string_view text :
                 {std::string_view(trace.origin.browser), std::string_view(trace.origin.profile),
                  trace.url, trace.localFile}) {
                row += ',';
                appendCsvField(row, text);
            }
            row += ',';
            appendNumber(row, trace.size);
            for (const DateTime& time : trace.times) {
                row += ',';
                if (isKnown(time))
                    appendTime(row, time);
            }
            row += ',';
            appendNumber(row, trace.hitRate);
            row += ',';
            bool first = true;
            for (size_t category = 0; category < kCategoryNames.size(); ++category) {
                if (trace.categories & (1u << category)) {
                    if (!first)
                        row += ' ';
                    row += kCategoryNames[category];
                    first = false;
                }
            }
            row += "\r\n";
            write(row);
        });
    }

private:
    void writeEnd() override {}
};

} // namespace

std::optional<ExportFormat> ExportFormatOf(std::string_view path) {
    if (EndsWithNoCase(path, ".json"))
        return ExportFormat::Json;
    if (EndsWithNoCase(path, ".csv"))
        return ExportFormat::Csv;
    return std::nullopt;
}

std::string CheckExportTarget(const std::string& path) {
    const auto format = ExportFormatOf(path);
    if (!format)
        return "the export file must end in .json or .csv: " + path;
    platform::SystemError error;
    auto folder = platform::OpenChosenFolder(folderOf(path), &error);
    if (!folder)
        return "the folder of the export file cannot be opened: " + folderOf(path) + ": " +
               error.description;
    return refusalAt(*folder, path, *format);
}

CategorySet TraceCategories(TraceKind kind, std::string_view address) {
    static constexpr std::array<std::pair<KeywordList, TraceCategory>, 5> kFiveLists{
        {{KeywordList::Explicit, TraceCategory::Explicit},
         {KeywordList::Gambling, TraceCategory::Gambling},
         {KeywordList::Personals, TraceCategory::Personals},
         {KeywordList::Sports, TraceCategory::Sports},
         {KeywordList::News, TraceCategory::News}}};
    CategorySet categories = 0;
    if (kind == TraceKind::CachedFile) {
        if (!IsTeenPicture(address))
            return 0;
        const KeywordHits hits = FindKeywords(address);
        if (IsPicture(address)) {
            // The explicit pages list a picture that the gay list matches as well.
            if (hits[KeywordList::Gay])
                categories |= bit(TraceCategory::Explicit);
            for (const auto& [list, category] : kFiveLists)
                if (hits[list])
                    categories |= bit(category);
        }
        if (hits[KeywordList::Teen])
            categories |= bit(TraceCategory::Teen);
        return categories;
    }
    if (kind == TraceKind::History) {
        address = HistoryAddress(address);
        if (!IsHistoryCandidate(address))
            return 0;
    }
    const KeywordHits hits = FindKeywords(address);
    for (const auto& [list, category] : kFiveLists)
        if (hits[list])
            categories |= bit(category);
    return categories != 0 ? categories : bit(TraceCategory::Other);
}

std::unique_ptr<AuditExport> AuditExport::Begin(const std::string& path, const DateTime& created,
                                                std::string* problem) {
    *problem = CheckExportTarget(path);
    if (!problem->empty())
        return nullptr;
    platform::SystemError error;
    auto folder = platform::OpenChosenFolder(folderOf(path), &error);
    auto file = folder ? folder->createFile(platform::BaseName(path), &error) : nullptr;
    if (!file) {
        *problem = "The export " + path + " cannot be created: " + error.description;
        return nullptr;
    }
    if (*ExportFormatOf(path) == ExportFormat::Csv)
        return std::make_unique<CsvExport>(std::move(folder), std::move(file), path);
    return std::make_unique<JsonExport>(std::move(folder), std::move(file), path, created);
}

} // namespace vorlith
