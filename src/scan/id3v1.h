#pragma once
// cMP3ID3v1: the 128-byte ID3v1 tag block at the end of an audio file, read and written back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlith {

/// The error number of Update on an empty file.
inline constexpr uint32_t kErrorNotValidMp3File = 0x80041001;

/// A failure of the tag reader, handed to the caller as a value (nothing throws).
struct TagError {
    uint32_t number = 0;     // the platform's error number, or kErrorNotValidMp3File
    std::string source;      // the program's executable name + ".cMP3ID3v1"
    std::string description; // the platform's text, or MP3File + " is not a valid MP3 file."
};
/// std::nullopt when the operation succeeded.
using TagResult = std::optional<TagError>;

/// The fields of a tag. Texts are UTF-8; the block holds them as Windows-1252 bytes.
struct Id3v1Fields {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Comment;
    uint8_t Genre = 255; // 255: no genre
    uint8_t Track = 0;
};

inline constexpr size_t kId3v1BlockSize = 128;

/// Parses a tag block. std::nullopt unless the block is 128 bytes long and begins with "TAG"
/// (upper case). The layout is always ID3v1.1: a 28-byte comment, byte 125 ignored, byte 126 the
/// track whatever byte 125 holds, byte 127 the genre. Each text field is cleaned (CleanField)
/// and decoded from Windows-1252.
std::optional<Id3v1Fields> ParseId3v1Block(std::string_view block);

/// The 125 bytes that follow "TAG" in a block: the texts encoded to Windows-1252 (characters it
/// lacks become "?"), each cut to its width or padded with blanks, then 0, Track and Genre.
std::string EncodeId3v1Fields(const Id3v1Fields& fields);

/// Drops every NUL byte wherever it stands, then the blanks at both ends.
std::string CleanField(std::string_view bytes);

/// The name of a genre code (0 to 147, the ID3v1 list with its Winamp additions); "" for 123 and
/// for every code from 148 on.
std::string GenreName(int genre);

class cMP3ID3v1 {
public:
    const std::string& MP3File() const { return m_mp3File; }
    /// Stores the path and reads its tag at once: every field is reset first, then filled when
    /// the file is longer than 128 bytes and its last 128 bytes begin with "TAG". A file that
    /// cannot be opened (or is not a regular file) gives an error and leaves the fields reset.
    [[nodiscard]] TagResult MP3File(const std::string& path);

    bool HasID3v1Tag() const { return m_hasTag; }
    const std::string& Title() const { return m_fields.Title; }
    const std::string& Artist() const { return m_fields.Artist; }
    const std::string& Album() const { return m_fields.Album; }
    const std::string& Year() const { return m_fields.Year; }
    const std::string& Comment() const { return m_fields.Comment; }
    uint8_t Track() const { return m_fields.Track; }
    uint8_t Genre() const { return m_fields.Genre; }
    // Setters change the fields in memory only; Update writes them.
    void Title(std::string value) { m_fields.Title = std::move(value); }
    void Artist(std::string value) { m_fields.Artist = std::move(value); }
    void Album(std::string value) { m_fields.Album = std::move(value); }
    void Year(std::string value) { m_fields.Year = std::move(value); }
    void Comment(std::string value) { m_fields.Comment = std::move(value); }
    void Track(uint8_t value) { m_fields.Track = value; }
    void Genre(uint8_t value) { m_fields.Genre = value; }

    /// Writes the fields into the file's tag block: over the existing block when the last 128
    /// bytes begin with "TAG", otherwise as a new block appended to the file. A file of 1 to 128
    /// bytes is left alone (success); an empty file gives kErrorNotValidMp3File; a file that
    /// cannot be opened or written gives the platform's error.
    [[nodiscard]] TagResult Update();

    static std::string GenreName(uint8_t genre) { return vorlith::GenreName(genre); }

private:
    std::string m_mp3File;
    bool m_hasTag = false;
    Id3v1Fields m_fields;
};

} // namespace vorlith
