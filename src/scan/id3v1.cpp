#include "scan/id3v1.h"

#include "platform/file_access.h"
#include "platform/folders.h"
#include "report/html_text.h"
#include "base/byte_cursor.h"

#include <array>

namespace vorlith {
namespace {

constexpr size_t kTitleWidth = 30;
constexpr size_t kArtistWidth = 30;
constexpr size_t kAlbumWidth = 30;
constexpr size_t kYearWidth = 4;
constexpr size_t kCommentWidth = 28;

constexpr std::array<const char*, 148> kGenreNames = {"Blues",
                                                      "Classic Rock",
                                                      "Country",
                                                      "Dance",
                                                      "Disco",
                                                      "Funk",
                                                      "Grunge",
                                                      "Hip Hop",
                                                      "Jazz",
                                                      "Metal",
                                                      "New Age",
                                                      "Oldies",
                                                      "Other",
                                                      "Pop",
                                                      "R&B",
                                                      "Rap",
                                                      "Reggae",
                                                      "Rock",
                                                      "Techno",
                                                      "Industrial",
                                                      "Alternative",
                                                      "Ska",
                                                      "Death Metal",
                                                      "Pranks",
                                                      "Soundtrack",
                                                      "Euro - Techno",
                                                      "Ambient",
                                                      "Trip Hop",
                                                      "Vocal",
                                                      "Jazz - Funk",
                                                      "Fusion",
                                                      "Trance",
                                                      "Classical",
                                                      "Instrumental",
                                                      "Acid",
                                                      "House",
                                                      "Game",
                                                      "Sound Clip",
                                                      "Gospel",
                                                      "Noise",
                                                      "Alt.Rock",
                                                      "Bass",
                                                      "Soul",
                                                      "Punk",
                                                      "Space",
                                                      "Meditative",
                                                      "Instrumental Pop",
                                                      "Instrumental Rock",
                                                      "Ethnic",
                                                      "Gothic",
                                                      "Darkwave",
                                                      "Techno - Industrial",
                                                      "Electronic",
                                                      "Pop / Folk",
                                                      "Eurodance",
                                                      "Dream",
                                                      "Southern Rock",
                                                      "Comedy",
                                                      "Cult",
                                                      "Gangsta Rap",
                                                      "Top 40",
                                                      "Christian Rap",
                                                      "Pop / Funk",
                                                      "Jungle",
                                                      "Native American",
                                                      "Cabaret",
                                                      "New Wave",
                                                      "Psychedelic",
                                                      "Rave",
                                                      "Showtunes",
                                                      "Trailer",
                                                      "Lo - fi",
                                                      "Tribal",
                                                      "Acid Punk",
                                                      "Acid Jazz",
                                                      "Polka",
                                                      "Retro",
                                                      "Musical",
                                                      "Rock 'n'Roll",
                                                      "Hard Rock",
                                                      "Folk",
                                                      "Folk / Rock",
                                                      "National Folk",
                                                      "Swing",
                                                      "Fast Fusion",
                                                      "Bebob",
                                                      "Latin",
                                                      "Revival",
                                                      "Celtic",
                                                      "Blue Grass",
                                                      "Avant Garde",
                                                      "Gothic Rock",
                                                      "Progressive Rock",
                                                      "Psychedelic Rock",
                                                      "Symphonic Rock",
                                                      "Slow Rock",
                                                      "Big Band",
                                                      "Chorus",
                                                      "Easy Listening",
                                                      "Acoustic",
                                                      "Humour",
                                                      "Speech",
                                                      "Chanson",
                                                      "Opera",
                                                      "Chamber Music",
                                                      "Sonata",
                                                      "Symphony",
                                                      "Booty Bass",
                                                      "Primus",
                                                      "Pr0n Groove",
                                                      "Satire",
                                                      "Slow Jam",
                                                      "Club",
                                                      "Tango",
                                                      "Samba",
                                                      "Folklore",
                                                      "Ballad",
                                                      "Power Ballad",
                                                      "Rhythmic Soul",
                                                      "Freestyle",
                                                      "Duet",
                                                      "Punk Rock",
                                                      "Drum Solo",
                                                      "",
                                                      "Euro - House",
                                                      "Dance Hall",
                                                      "Goa",
                                                      "Drum & Bass",
                                                      "Club - House",
                                                      "Hardcore",
                                                      "Terror",
                                                      "Indie",
                                                      "Brit Pop",
                                                      "Negerpunk",
                                                      "Polsk Punk",
                                                      "Beat",
                                                      "Christian Gangsta Rap",
                                                      "Heavy Metal",
                                                      "Black Metal",
                                                      "Crossover",
                                                      "Contemporary Christian",
                                                      "Christian Rock",
                                                      "Merengue",
                                                      "Salsa",
                                                      "Thrash Metal",
                                                      "Anime",
                                                      "JPop",
                                                      "Synth Pop"};

// Code points of bytes 0x80..0x9F in Windows-1252, for the way back from UTF-8.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char windows1252Byte(uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    for (size_t i = 0; i < 32; ++i)
        if (kWindows1252High[i] == codePoint)
            return static_cast<char>(0x80 + i);
    return '?';
}

// Texts set by the program are UTF-8; a byte that does not start a valid sequence is taken as a
// Windows-1252 byte already and kept, so a field read and written back keeps its bytes.
std::string utf8ToWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                                                       : 1;
        uint32_t codePoint = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
        bool valid = length > 1 && pos + length <= text.size();
        for (size_t i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[pos + i]);
            valid = (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        if (!valid) {
            out += static_cast<char>(lead);
            ++pos;
            continue;
        }
        out += windows1252Byte(codePoint);
        pos += length;
    }
    return out;
}

std::string fixedWidth(std::string_view text, size_t width) {
    std::string field = utf8ToWindows1252(text).substr(0, width);
    field.resize(width, ' ');
    return field;
}

std::string decodedField(std::string_view bytes) {
    return Windows1252ToUtf8(CleanField(bytes));
}

std::string errorSource() {
    return platform::BaseName(platform::ExecutablePath()) + ".cMP3ID3v1";
}

TagError systemError(const platform::SystemError& error) {
    return TagError{error.number, errorSource(), error.description};
}

} // namespace

std::string CleanField(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes)
        if (c != '\0')
            text += c;
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string GenreName(int genre) {
    if (genre < 0 || genre >= static_cast<int>(kGenreNames.size()))
        return "";
    return kGenreNames[static_cast<size_t>(genre)];
}

std::optional<Id3v1Fields> ParseId3v1Block(std::string_view block) {
    if (block.size() != kId3v1BlockSize)
        return std::nullopt;
    ByteCursor cursor(block);
    if (cursor.take(3) != "TAG")
        return std::nullopt;
    Id3v1Fields fields;
    fields.Title = decodedField(cursor.take(kTitleWidth));
    fields.Artist = decodedField(cursor.take(kArtistWidth));
    fields.Album = decodedField(cursor.take(kAlbumWidth));
    fields.Year = decodedField(cursor.take(kYearWidth));
    fields.Comment = decodedField(cursor.take(kCommentWidth));
    cursor.skip(1);
    // Byte 126 is the track whatever byte 125 holds: a 1.0 tag's 30th comment byte reads as one.
    fields.Track = cursor.u8();
    fields.Genre = cursor.u8();
    if (!cursor.ok())
        return std::nullopt;
    return fields;
}

std::string EncodeId3v1Fields(const Id3v1Fields& fields) {
    std::string bytes;
    bytes.reserve(kId3v1BlockSize - 3);
    bytes += fixedWidth(fields.Title, kTitleWidth);
    bytes += fixedWidth(fields.Artist, kArtistWidth);
    bytes += fixedWidth(fields.Album, kAlbumWidth);
    bytes += fixedWidth(fields.Year, kYearWidth);
    bytes += fixedWidth(fields.Comment, kCommentWidth);
    bytes += '\0';
    bytes += static_cast<char>(fields.Track);
    bytes += static_cast<char>(fields.Genre);
    return bytes;
}

TagResult cMP3ID3v1::MP3File(const std::string& path) {
    m_mp3File = path;
    m_hasTag = false;
    m_fields = Id3v1Fields{};

    platform::SystemError error;
    auto file = platform::OpenRegularFile(path, &error);
    if (!file)
        return systemError(error);
    // A file of 128 bytes or less is not read, even if it is nothing but a tag block.
    const uint64_t size = file->size();
    if (size <= kId3v1BlockSize)
        return std::nullopt;
    std::array<char, kId3v1BlockSize> block{};
    const size_t got = file->readAt(size - kId3v1BlockSize, block.data(), block.size());
    if (auto fields = ParseId3v1Block(std::string_view(block.data(), got))) {
        m_hasTag = true;
        m_fields = std::move(*fields);
    }
    return std::nullopt;
}

TagResult cMP3ID3v1::Update() {
    platform::SystemError error;
    auto file = platform::OpenFileForUpdate(m_mp3File, &error);
    if (!file)
        return systemError(error);
    const uint64_t size = file->size();
    if (size == 0) {
        file->close();
        return TagError{kErrorNotValidMp3File, errorSource(),
                        m_mp3File + " is not a valid MP3 file."};
    }
    if (size <= kId3v1BlockSize) {
        file->close();
        return std::nullopt;
    }
    std::array<char, 3> magic{};
    const size_t got = file->readAt(size - kId3v1BlockSize, magic.data(), magic.size());
    const bool hasBlock = got == magic.size() && std::string_view(magic.data(), 3) == "TAG";
    const std::string fields = EncodeId3v1Fields(m_fields);
    const bool written = hasBlock ? file->writeAt(size - kId3v1BlockSize + 3, fields, &error)
                                  : file->writeAt(size, "TAG" + fields, &error);
    const bool closed = file->close();
    if (!written)
        return systemError(error);
    if (!closed)
        return TagError{0, errorSource(), "could not close " + m_mp3File};
    return std::nullopt;
}

} // namespace vorlith
