#include "platform/windows/registry_hive.h"

#include <vector>

namespace vorlith::platform {
namespace {

// An open registry key, closed when it goes.
class Key {
public:
    Key() = default;
    ~Key() {
        if (m_key)
            ::RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

} // namespace

RegistryHive::RegistryHive(HKEY root, std::string basePath, HiveAccess access)
    : m_root(root), m_basePath(std::move(basePath)), m_access(access) {}

std::wstring RegistryHive::fullPath(const std::string& keyPath) const {
    if (m_basePath.empty())
        return win32::Widen(keyPath);
    if (keyPath.empty())
        return win32::Widen(m_basePath);
    return win32::Widen(m_basePath + "\\" + keyPath);
}

std::optional<std::string> RegistryHive::getValue(const std::string& keyPath,
                                                  const std::string& valueName) {
    Key key;
    if (::RegOpenKeyExW(m_root, fullPath(keyPath).c_str(), 0, KEY_QUERY_VALUE, key.out()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = win32::Widen(valueName);
    // Asked for the size first, then read; a value that grows between the two is asked again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
        DWORD read = size;
        const LONG status = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr,
                                               reinterpret_cast<BYTE*>(data.data()), &read);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        std::wstring_view text(data.data(), read / sizeof(wchar_t));
        return win32::Narrow(text.substr(0, text.find(L'\0')));
    }
    return std::nullopt;
}

bool RegistryHive::keyExists(const std::string& keyPath) {
    Key key;
    return ::RegOpenKeyExW(m_root, fullPath(keyPath).c_str(), 0, KEY_READ, key.out()) ==
           ERROR_SUCCESS;
}

bool RegistryHive::setValue(const std::string& keyPath, const std::string& valueName,
                            const std::string& data) {
    if (m_access == HiveAccess::ReadOnly)
        return false;
    Key key;
    if (::RegCreateKeyExW(m_root, fullPath(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, key.out(), nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring text = win32::Widen(data);
    // REG_SZ with its terminating NUL, as the registry's readers expect.
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.get(), win32::Widen(valueName).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

bool RegistryHive::deleteValue(const std::string& keyPath, const std::string& valueName) {
    if (m_access == HiveAccess::ReadOnly)
        return false;
    Key key;
    if (::RegOpenKeyExW(m_root, fullPath(keyPath).c_str(), 0, KEY_SET_VALUE, key.out()) !=
        ERROR_SUCCESS)
        return false;
    return ::RegDeleteValueW(key.get(), win32::Widen(valueName).c_str()) == ERROR_SUCCESS;
}

bool RegistryHive::deleteKey(const std::string& keyPath) {
    if (m_access == HiveAccess::ReadOnly || keyPath.empty())
        return false;
    // RegDeleteKeyW refuses a key that still has sub-keys, as the interface asks.
    return ::RegDeleteKeyW(m_root, fullPath(keyPath).c_str()) == ERROR_SUCCESS;
}

} // namespace vorlith::platform
