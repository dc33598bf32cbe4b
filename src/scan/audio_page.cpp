#include "scan/audio_page.h"

#include "platform/file_system.h"
#include "report/html_text.h"
#include "report/links.h"
#include "report/page_set.h"
#include "report/site.h"
#include "scan/id3v1.h"

namespace vorlith {
namespace {

bool endsWith(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

std::string lowerCased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// The link that opens the file: the address percent-encoded, the text escaped, so that any
// name the disk holds reaches the page as text and the browser as the file.
void writeLinkLine(PageFile& page, const std::string& path) {
    page.writeLine("<A HREF=\"" + FileUrl(path) + "\" TARGET=_BLANK>" + HtmlEscape(path) +
                   "</A><BR><BR>");
}

void writeTitleLine(PageFile& page, const std::string& path) {
    page.writeLine("<B>" + HtmlEscape(FileTitleFromPath(path)) + "</B><BR>");
    writeLinkLine(page, path);
}

// Reads the tag of a file; a file that cannot be opened leaves the reader's fields empty, so
// it counts as untagged, which is all the page needs to know.
void readTag(cMP3ID3v1& reader, const std::string& path) {
    [[maybe_unused]] TagResult ignored = reader.MP3File(path);
}

void stepProgress(PhaseContext& context, size_t index) {
    context.window.pBar.value = static_cast<int64_t>(index);
    if (index % 20 == 0)
        context.run.yield();
}

} // namespace

AudioKind AudioKindOf(std::string_view path) {
    const std::string lower = lowerCased(path);
    if (endsWith(lower, ".mp3") || endsWith(lower, ".mpeg3"))
        return AudioKind::Mp3;
    if (endsWith(lower, ".wma"))
        return AudioKind::Wma;
    if (endsWith(lower, ".m4a"))
        return AudioKind::M4a;
    if (endsWith(lower, ".ogg"))
        return AudioKind::Ogg;
    return AudioKind::None;
}

std::string FileTitleFromPath(std::string_view path) {
    const size_t separator = path.rfind(platform::kPathSeparator);
    std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
    return std::string(name.substr(0, name.find('.')));
}

void WriteAudioFirstSection(PhaseContext& context, DiskScanCounts& counts) {
    MainWindow& window = context.window;
    const FoundFileList& audio = window.lists.lstResult;
    PageFile& page = context.pages.page(pages::kIllegal.number);

    page.writeLine(std::string("<TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>"
                               "WARNING:</B></FONT> <FONT SIZE=+1 COLOR=#FFFFFF CLASS=textalert>"
                               "<B>The below DRM-Free audio files are potentially <A HREF=\"") +
                   site::kNewsArticle +
                   "\" TARGET=_BLANK>ILLEGAL</A> if you did not purchase them!</B></FONT></TD>"
                   "</TR></TABLE>");
    page.writeLine("<H3><A HREF=" + UmbrafilePurchaseLink(static_cast<int64_t>(audio.size())) +
                   " TARGET=_BLANK><B>Use Umbrafile to Securely HIDE the below Files Now!</B>"
                   "</a></H3>");
    window.lblStatus.caption = "Creating results for DRM-free Music files w/ ID3 tags...";
    window.pBar.max = static_cast<int64_t>(audio.size());

    cMP3ID3v1 reader;
    for (size_t index = 0; index < audio.size(); ++index) {
        const std::string& path = audio[index];
        const AudioKind kind = AudioKindOf(path);
        switch (kind) {
        case AudioKind::Mp3:
            ++counts.Mp3Count;
            break;
        case AudioKind::Wma:
            ++counts.WmaCount;
            break;
        case AudioKind::M4a:
            ++counts.M4aCount;
            break;
        case AudioKind::Ogg:
            ++counts.OggCount;
            break;
        case AudioKind::None:
            break;
        }
        if (kind == AudioKind::Mp3 || kind == AudioKind::Wma) {
            readTag(reader, path);
            if (!reader.Artist().empty()) {
                page.writeLine("<B>" + HtmlEscape(reader.Artist()) + "</B> - " +
                               HtmlEscape(reader.Title()) + " | " + HtmlEscape(reader.Album()) +
                               " - " + HtmlEscape(reader.Year()) + "<BR>");
                writeLinkLine(page, path);
            }
        }
        stepProgress(context, index);
    }

    window.lblStatus.caption = "Creating results for DRM-free Music files w/o ID3 tags...";
    window.pBar.max = static_cast<int64_t>(audio.size());
}

void WriteAudioSecondSection(PhaseContext& context) {
    const FoundFileList& audio = context.window.lists.lstResult;
    PageFile& page = context.pages.page(pages::kIllegal.number);

    cMP3ID3v1 reader;
    for (size_t index = 0; index < audio.size(); ++index) {
        const std::string& path = audio[index];
        switch (AudioKindOf(path)) {
        case AudioKind::Mp3:
        case AudioKind::Wma:
            readTag(reader, path);
            if (reader.Artist().empty())
                writeTitleLine(page, path);
            break;
        case AudioKind::M4a:
        case AudioKind::Ogg:
            writeTitleLine(page, path);
            break;
        case AudioKind::None:
            break;
        }
        stepProgress(context, index);
    }
}

} // namespace vorlith
