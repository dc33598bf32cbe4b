#pragma once
// Putting text from the machine (addresses, paths, header texts, file names, tags) into a page
// safely. Page text is UTF-8 inside the program; PageFile turns every character outside ASCII
// into a numeric character reference when it writes the line.

#include <string>
#include <string_view>

namespace vorlith {

/// "&", "<", ">" and the double quote become character references; everything else is kept.
/// Safe in element text and in quoted or unquoted attribute values alike.
std::string HtmlEscape(std::string_view text);

/// Appends the text to out escaped as HtmlEscape does. True when every byte of the text is
/// printable ASCII (0x20 to 0x7E), so that a page line made of it and of such constant text
/// needs no encoding.
bool AppendHtmlEscaped(std::string& out, std::string_view text);

/// "file://" + the path with "%", "#", "?", control characters and bytes outside ASCII
/// percent-encoded, so that the address reaches the file whatever its name holds. The result is
/// HTML-escaped, ready to stand inside a double-quoted attribute.
std::string FileUrl(std::string_view path);

/// Appends FileUrl(path) to out; what it appends is always printable ASCII.
void AppendFileUrl(std::string& out, std::string_view path);

/// Writes HtmlEscape(text) at out, which has room for 6 bytes per byte of the text, and returns
/// its end; `printable` tells whether every byte of the text is printable ASCII.
char* WriteHtmlEscaped(char* out, std::string_view text, bool& printable);

/// Writes FileUrl(path) at out, which has room for 7 bytes and 6 per byte of the path, and
/// returns its end.
char* WriteFileUrl(char* out, std::string_view path);

/// How a page links a local file: a file directly in the thumbs folder of reportFolder (the
/// folder the pages stand in) by its address relative to the pages, "thumbs/" + its name
/// percent-encoded as FileUrl does, so that the report folder can be moved, copied or zipped
/// whole and still show its pictures; any other file (and every file when reportFolder is "") by
/// FileUrl. Either separator ('/' or '\\') is taken after reportFolder and after "thumbs".
std::string LocalFileUrl(std::string_view path, std::string_view reportFolder);

/// Writes LocalFileUrl(path, reportFolder) at out, which has room for 7 bytes and 6 per byte of
/// the path, and returns its end.
char* WriteLocalFileUrl(char* out, std::string_view path, std::string_view reportFolder);

/// The bytes of a line as a page stores them: characters outside ASCII (UTF-8 sequences) and
/// control characters (0 to 31 and 127: CR and LF among them, so the line stays one line) become
/// numeric character references ("&#233;", "&#13;"); a byte that is not valid UTF-8 is taken as
/// a Windows-1252 character, so that no byte reaches the page undeclared.
std::string EncodeForPage(std::string_view text);

} // namespace vorlith
