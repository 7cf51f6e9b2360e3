#pragma once
// Entry points from Qt's event loop: exceptions never cross it, and nothing
// modal runs inside a paint.
#include "platform/uiservices.h"

#include <stdexcept>

// Paint entry points mark themselves; reports raised inside wait for the paint's end.
class CPaintScope
{
public:
    CPaintScope();
    ~CPaintScope();
    static bool Inside();
};

// Runs fn; an exception goes to the standard error report.
template <class Fn>
void GuardedCall(const char* context, Fn&& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        UiServices().ReportException(e, context);
    } catch (...) {
        UiServices().ReportException(std::runtime_error("unknown error"), context);
    }
}
