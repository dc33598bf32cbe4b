#pragma once
// The maker's names and addresses, in one place. Hosts are under the reserved ".example" domain
// so that no link points at a site someone else owns.

namespace vorlith::site {

/// The product web site's name: page titles, the logo's alternative text, message titles.
inline constexpr char kSiteLabel[] = "Vorlith.example";
/// The product page behind the logo.
inline constexpr char kProductPage[] = "https://www.vorlith.example/";
/// The host of the secure purchase pages.
inline constexpr char kPurchaseHost[] = "secure.vorlith.example";
/// The copyright paragraph of every page's foot.
inline constexpr char kCopyrightLine[] =
    "<p>Copyright &copy; 2008-2026 Vorlith.example. All rights reserved.</p>";
/// The support address named in error messages.
inline constexpr char kSupportEmail[] = "support@vorlith.example";
/// The news article behind the word ILLEGAL on the audio page.
inline constexpr char kNewsArticle[] =
    "http://news.example/news/story/7380412/riaa_will_keep_on_suing";
/// The product version shown in the windows.
inline constexpr char kVersion[] = "5.0";

} // namespace vorlith::site
