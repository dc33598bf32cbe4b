#include "report/links.h"

#include "platform/folders.h"
#include "report/site.h"

#include <cmath>
#include <cstdio>

namespace vorlith {
namespace {
std::string purchasePage(const char* path) {
    return std::string("https://") + site::kPurchaseHost + path;
}
} // namespace

std::string ErazentPurchaseLink(int64_t totalTraces) {
    return purchasePage("/secure_erazent_audit_clean_2013.php?traces=") +
           std::to_string(totalTraces);
}

std::string ErazentKillTracesLink(int64_t totalTraces) {
    return purchasePage("/secure_erazent_audit_clean.php?traces=") + std::to_string(totalTraces);
}

std::string UmbrafilePurchaseLink(int64_t audioFileCount) {
    return purchasePage("/secure_umf_audit_clean_2013.php?umftraces=") +
           std::to_string(audioFileCount);
}

std::string FormatThousands(double value, const std::string& separator) {
    if (!std::isfinite(value))
        return "0";
    double rounded = std::round(value);
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.0f", std::fabs(rounded));
    std::string text = digits;
    std::string grouped;
    const size_t length = text.size();
    for (size_t i = 0; i < length; ++i) {
        if (i > 0 && (length - i) % 3 == 0)
            grouped += separator;
        grouped += text[i];
    }
    return (rounded < 0 ? "-" : "") + grouped;
}

std::string FormatThousands(double value) {
    static const std::string separator = [] {
        std::string userSeparator = platform::ThousandsSeparator();
        return userSeparator.empty() ? std::string(",") : userSeparator;
    }();
    return FormatThousands(value, separator);
}

} // namespace vorlith
