#include "report/audio_page.h"

#include "report/html_text.h"
#include "report/links.h"
#include "report/site.h"

namespace vorlith {
namespace {

// Room for the constant parts of a line besides its texts.
constexpr size_t kLineRoom = 64;

// The link that opens the file: the address percent-encoded, the text escaped, so that any
// name the disk holds reaches the page as text and the browser as the file. Built in the page's
// own buffer: tens of thousands of files make this the page's bulk.
void writeLinkLine(PageFile& page, std::string_view path) {
    PageLine line = page.beginLine(kLineRoom + 12 * path.size());
    line.printable("<A HREF=\"");
    line.fileUrl(path);
    line.printable("\" TARGET=_BLANK>");
    line.escaped(path);
    line.printable("</A><BR><BR>");
    page.endLine(line);
}

void writeTitleLine(PageFile& page, std::string_view path) {
    const std::string_view title = FileTitleFromPath(path);
    PageLine line = page.beginLine(kLineRoom + 6 * title.size());
    line.printable("<B>");
    line.escaped(title);
    line.printable("</B><BR>");
    page.endLine(line);
    writeLinkLine(page, path);
}

void writeTagLine(PageFile& page, const AudioTagText& tag) {
    PageLine line = page.beginLine(kLineRoom + 6 * (tag.Artist.size() + tag.Title.size() +
                                                    tag.Album.size() + tag.Year.size()));
    line.printable("<B>");
    line.escaped(tag.Artist);
    line.printable("</B> - ");
    line.escaped(tag.Title);
    line.printable(" | ");
    line.escaped(tag.Album);
    line.printable(" - ");
    line.escaped(tag.Year);
    line.printable("<BR>");
    page.endLine(line);
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
            writeTagLine(page, *tag);
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
