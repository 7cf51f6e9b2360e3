#pragma once
// A folder picker: the title as instruction text above a tree of file-system
// folders; an absolute path or nothing.
#include <QString>
#include <functional>

class QDialog;
class QWidget;

class CFolderChooser
{
public:
    explicit CFolderChooser(QWidget* owner = nullptr) : m_pOwner(owner) {}

    // The setters have no effect while the chooser is open.
    void SetOwner(QWidget* owner)
    {
        if (!m_bBrowsing)
            m_pOwner = owner;
    }
    void SetTitle(const QString& title)
    {
        if (!m_bBrowsing)
            m_strTitle = title;
    }
    void SetFlags(unsigned flags)
    {
        if (!m_bBrowsing)
            m_nFlags = flags;
    }
    QString Title() const { return m_strTitle; }
    unsigned Flags() const { return m_nFlags; }

    // True when a folder was chosen.
    bool Browse();
    // The chosen folder, absolute, without a trailing '/' (but "/").
    QString GetPath() const { return m_strPath; }

    // Tests drive the chooser: the hook runs once its dialog is up, inside Browse.
    using DialogHook = std::function<void(QDialog* dialog)>;
    static void SetDialogHook(DialogHook hook);
    // Makes path the current folder of an open chooser dialog; false when the
    // dialog does not show it (not a folder).
    static bool SelectFolder(QDialog* dialog, const QString& path);
    // The instruction text of an open chooser dialog.
    static QString InstructionText(QDialog* dialog);

private:
    QWidget* m_pOwner;
    QString m_strTitle;
    unsigned m_nFlags = 0;
    QString m_strPath;
    bool m_bBrowsing = false;
};
