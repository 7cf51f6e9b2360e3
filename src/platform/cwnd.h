#pragma once
// A window of the user interface as the core sees it. The panes implement it;
// handlers reach the content pane through the device context's window.
#include "platform/rect.h"

class CWnd
{
public:
    virtual ~CWnd() = default;
    // Only the content pane scrolls; other windows ignore this.
    virtual void SetScrollSizes(int /*cx*/, int /*cy*/) {}
    virtual bool IsScrollView() const { return false; }
    virtual RECT GetClientRect() const { return {}; }
};
