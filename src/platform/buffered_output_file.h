#pragma once
// The buffering the platforms' output files share: small writes gather in one buffer and reach
// the system in blocks; a write as large as the buffer goes to the file at once.

#include "platform/file_system.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vorlith::platform {

class BufferedOutputFile : public OutputFile {
public:
    static constexpr size_t kWriteBuffer = 64 * 1024; // bytes gathered before a write call

    BufferedOutputFile() { m_buffer.reserve(kWriteBuffer); }

    void write(std::string_view bytes) final {
        if (m_failed || !isOpen())
            return;
        if (m_buffer.size() + bytes.size() > kWriteBuffer) {
            flush();
            if (bytes.size() >= kWriteBuffer) {
                writeThrough(bytes);
                return;
            }
        }
        m_buffer.append(bytes);
    }

protected:
    /// Hands what the buffer holds to the file.
    void flush() {
        writeThrough(m_buffer);
        m_buffer.clear();
    }
    bool failed() const { return m_failed; }
    void setFailed() { m_failed = true; }

    virtual bool isOpen() const = 0;
    /// Writes every byte to the file; false when it could not.
    virtual bool writeAll(std::string_view bytes) = 0;

private:
    void writeThrough(std::string_view bytes) {
        if (!m_failed && !bytes.empty() && !writeAll(bytes))
            m_failed = true;
    }

    std::string m_buffer;
    bool m_failed = false;
};

} // namespace vorlith::platform
