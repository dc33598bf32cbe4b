#include "report/audio_page.h"

#include "report/html_text.h"
#include "report/links.h"
#include "report/site.h"

namespace vorlith {
namespace {

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

} // namespace

void WriteAudioFirstSection(PageRun& run, const FoundFileList& audio,
                            const AudioFindings& findings) {
    PageFile& page = run.pages.page(PageId::Illegal);
    page.writeLine(std::string("<TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>"
                               "WARNING:</B></FONT> <FONT SIZE=+1 COLOR=#FFFFFF CLASS=textalert>"
                               "<B>The below DRM-Free audio files are potentially <A HREF=\"") +
                   site::kNewsArticle +
                   "\" TARGET=_BLANK>ILLEGAL</A> if you did not purchase them!</B></FONT></TD>"
                   "</TR></TABLE>");
    page.writeLine("<H3><A HREF=" + UmbrafilePurchaseLink(static_cast<int64_t>(audio.size())) +
                   " TARGET=_BLANK><B>Use Umbrafile to Securely HIDE the below Files Now!</B>"
                   "</a></H3>");
    for (size_t index = 0; index < audio.size(); ++index) {
        if (const AudioTagText* tag = findings.tagOf(index)) {
            page.writeLine("<B>" + HtmlEscape(tag->Artist) + "</B> - " + HtmlEscape(tag->Title) +
                           " | " + HtmlEscape(tag->Album) + " - " + HtmlEscape(tag->Year) +
                           "<BR>");
            writeLinkLine(page, audio[index]);
        }
    }
    run.progress.setStatus("Creating results for DRM-free Music files w/o ID3 tags...");
    run.progress.setProgressMaximum(static_cast<int64_t>(audio.size()));
}

void WriteAudioSecondSection(PageRun& run, const FoundFileList& audio,
                             const AudioFindings& findings) {
    PageFile& page = run.pages.page(PageId::Illegal);
    for (size_t index = 0; index < audio.size(); ++index) {
        switch (findings.files[index].kind) {
        case AudioKind::Mp3:
        case AudioKind::Wma:
            if (!findings.tagOf(index))
                writeTitleLine(page, audio[index]);
            break;
        case AudioKind::M4a:
        case AudioKind::Ogg:
            writeTitleLine(page, audio[index]);
            break;
        case AudioKind::None:
            break;
        }
        run.progress.setProgress(static_cast<int64_t>(index));
        if (index % 20 == 0)
            run.run.yield();
    }
}

} // namespace vorlith
