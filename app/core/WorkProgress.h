#pragma once

#include <string>

// What a long operation tells whoever shows it. Called on the thread the operation runs on.
class WorkProgress
{
public:
    virtual ~WorkProgress() = default;
    // The wait window's text.
    virtual void Step(const char* /*text*/) {}
    // The progress file of the helper that runs now.
    virtual void WatchFile(const std::string& /*path*/) {}
    // A line for the log, and the share of the whole done (0-100; negative: unchanged).
    virtual void Report(const std::string& /*line*/, int /*percent*/) {}
};
