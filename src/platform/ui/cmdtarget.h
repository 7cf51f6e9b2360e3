#pragma once
// Command routing: a command id goes to the active view, the document, the
// frame and the application in turn; the first target that knows it handles
// it. The same chain answers whether a command is enabled, checked or marked.

class CCmdUI
{
public:
    explicit CCmdUI(unsigned id) : m_nID(id) {}
    void Enable(bool enable = true) { m_bEnabled = enable; }
    void SetCheck(int check = 1)
    {
        m_nCheck = check;
        m_bRadio = false;
    }
    void SetRadio(bool on = true)
    {
        m_nCheck = on ? 1 : 0;
        m_bRadio = true;
    }

    unsigned m_nID;
    bool m_bEnabled = true;
    int m_nCheck = 0;
    bool m_bRadio = false;
};

class CCmdTarget
{
public:
    virtual ~CCmdTarget() = default;
    // ui null: run the command. Otherwise fill ui. True when this target
    // handles the id.
    virtual bool OnCmdMsg(unsigned id, CCmdUI* ui) = 0;
};
