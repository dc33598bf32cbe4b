#include "scan/id3v1.h"

#include "platform/file_access.h"
#include "platform/folders.h"
#include "base/text_encoding.h"
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

std::string fixedWidth(std::string_view text, size_t width) {
    std::string field = Utf8ToWindows1252(text).substr(0, width);
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
