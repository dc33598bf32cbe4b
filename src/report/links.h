#pragma once
// Purchase links and the number format of the totals.

#include <cstdint>
#include <string>

namespace vorlith {

/// The deletion product's purchase page with the audit's trace count as query value.
std::string ErazentPurchaseLink(int64_t totalTraces);
/// The same product's page that the results window's button opens (another path).
std::string ErazentKillTracesLink(int64_t totalTraces);
/// The file-hiding product's purchase page with the number of audio files found.
std::string UmbrafilePurchaseLink(int64_t audioFileCount);

/// The value rounded to a whole number (halves away from zero) with its digits grouped in
/// thousands by separator: 1234567 gives "1,234,567" with ",". "0" for zero.
std::string FormatThousands(double value, const std::string& separator);
/// The same with the user's grouping separator ("," where the locale defines none).
std::string FormatThousands(double value);

} // namespace vorlith
