#pragma once
// The keyboard lock states for the status bar's CAP, NUM and SCRL panes.
struct SLockState
{
    bool m_bKnown = false; // false where the platform cannot tell
    bool m_bCaps = false;
    bool m_bNum = false;
    bool m_bScroll = false;
};

SLockState QueryLockState();
