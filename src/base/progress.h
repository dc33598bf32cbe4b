#pragma once
// Where a phase reports how far it has got: the main status line, the second status line, the
// count line and a progress bar. The audit run binds it to the main window; tests and the
// benchmarks use NoProgress or a recorder of their own.

#include <cstdint>
#include <string_view>

namespace vorlith {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    /// The main status line.
    virtual void setStatus(std::string_view text) = 0;
    /// The second status line (the folder or file being worked on).
    virtual void setDetail(std::string_view text) = 0;
    /// The count line.
    virtual void setCount(std::string_view text) = 0;
    /// The progress bar: how far, of how many. A value above the maximum shows as the maximum.
    virtual void setProgressMaximum(int64_t maximum) = 0;
    virtual void setProgress(int64_t value) = 0;
};

/// A sink that shows nothing.
class NoProgress final : public ProgressSink {
public:
    void setStatus(std::string_view) override {}
    void setDetail(std::string_view) override {}
    void setCount(std::string_view) override {}
    void setProgressMaximum(int64_t) override {}
    void setProgress(int64_t) override {}
};

} // namespace vorlith
