#include "platform/windows/win32.h"

#include <sddl.h>

#include <memory>
#include <vector>

namespace vorlith::platform::win32 {

std::wstring Widen(std::string_view text) {
    if (text.empty())
        return {};
    // Without MB_ERR_INVALID_CHARS, invalid bytes become U+FFFD instead of failing the whole
    // text.
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string narrow(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

std::wstring WidePath(std::string_view path) {
    std::wstring wide = Widen(path);
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    // Below the limit the plain form is kept: it is what the user gave, relative paths and "."
    // or ".." included, which the "\\?\" form would not resolve.
    constexpr size_t kPlainLimit = 240;
    if (wide.size() < kPlainLimit || wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    const bool isDrivePath = wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\';
    if (isDrivePath)
        return L"\\\\?\\" + wide;
    if (wide.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;
}

std::string ErrorText(uint32_t number) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, number, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || !buffer)
        return "";
    std::wstring text(buffer, length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    return Narrow(text);
}

std::string CurrentUserSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return "";
    UniqueHandle owned(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0)
        return "";
    std::vector<unsigned char> buffer(size);
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return "";
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(user->User.Sid, &text))
        return "";
    std::string sid = Narrow(text);
    ::LocalFree(text);
    return sid;
}

PrivateSecurity::PrivateSecurity() {
    const std::string user = CurrentUserSid();
    if (user.empty())
        return;
    // P: protected (no inherited entries); OICI: files and folders inside inherit the entry;
    // FA: full access.
    const std::wstring text = L"D:P(A;OICI;FA;;;" + Widen(user) + L")";
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                                &m_descriptor, nullptr)) {
        m_descriptor = nullptr;
        return;
    }
    m_attributes = {sizeof m_attributes, m_descriptor, FALSE};
}

PrivateSecurity::~PrivateSecurity() {
    if (m_descriptor)
        ::LocalFree(m_descriptor);
}

bool FactsOf(HANDLE handle, HandleFacts& facts) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return false;
    facts.attributes = info.dwFileAttributes;
    facts.volume = info.dwVolumeSerialNumber;
    facts.fileIndex = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    facts.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    facts.reparseTag = 0;
    if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
            return false;
        facts.reparseTag = tag.ReparseTag;
    }
    return true;
}

} // namespace vorlith::platform::win32
