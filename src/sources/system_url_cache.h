#pragma once
// The URL cache an audit reads, as a front-end's command line chooses it.

#include "platform/url_cache.h"

#include <memory>
#include <string>

namespace vorlith {

/// The cache entries of this computer: those of every browser profile of this user (Firefox,
/// then the Chromium family), read without changing anything of a profile.
std::unique_ptr<platform::UrlCacheSource> SystemUrlCacheSource();

/// The source a choice names: "auto" this computer's (SystemUrlCacheSource), "none" an empty
/// cache, anything else a JSON Lines file of entries (UrlCacheFileSource).
std::unique_ptr<platform::UrlCacheSource> ChooseUrlCacheSource(const std::string& choice);

/// "" when the choice can be used (auto, none, or a file that exists), else what is wrong.
std::string CheckUrlCacheChoice(const std::string& choice);

} // namespace vorlith
