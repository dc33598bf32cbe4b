#pragma once
// What a long phase of an audit asks of the run it belongs to: to let pending window events run,
// and whether it should stop. A phase never ends the run itself: it returns PhaseEnd::Stopped
// and the run decides what a cancel does.

namespace vorlith {

class RunControl {
public:
    virtual ~RunControl() = default;
    /// Lets pending window events run: the Cancel button, the progress timer, a close request.
    virtual void yield() = 0;
    /// True once the run has been cancelled; a phase returns at its next cancel point.
    virtual bool isCanceled() const = 0;
};

/// How a phase ended.
enum class PhaseEnd { Finished, Stopped };

} // namespace vorlith
