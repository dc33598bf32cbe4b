#pragma once
// Addresses as browsers store them in their cache keys, and what the pages need of them.

#include <optional>
#include <string>
#include <string_view>

namespace vorlith {

/// The address of a Firefox cache key: the key is a run of tags, each ending in an unescaped
/// "," (",," stands for a comma inside a tag), then ":" and the address. std::nullopt when the
/// key has no ":" after its tags or nothing after it (the key is not an address).
std::optional<std::string> AddressFromFirefoxKey(std::string_view key);

/// The address of a Chromium cache key: an optional "credential/upload id/" prefix (numbers
/// followed by "/"), then for isolated entries a "_dk_" (or other "_xx_") isolation key whose
/// sites are separated by blanks from the address at the end. std::nullopt for an empty result.
std::optional<std::string> AddressFromChromiumKey(std::string_view key);

/// The extension of the last name of the address's path, without the dot ("" when it has none):
/// "jpg" for http://host/a/b.jpg?x=1, "" for http://host/a.b/c.
std::string ExtensionFromAddress(std::string_view address);

/// True when a page shows the entry's file: the address ends, without regard to case, in a
/// picture or video extension that the image and video pages test ("jpg", "jpeg", "png" (the
/// teen page), "flv", "wmv", "mpg", "mpeg", "mov").
bool IsShownMediaAddress(std::string_view address);

} // namespace vorlith
