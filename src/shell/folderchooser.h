#pragma once
// A folder picker: the title as instruction text above a tree of file-system
// folders; an absolute path or nothing.
#include <QString>

class QWidget;

class CFolderChooser
{
public:
    explicit CFolderChooser(QWidget* owner = nullptr) : m_pOwner(owner) {}

    void SetOwner(QWidget* owner) { m_pOwner = owner; }
    void SetTitle(const QString& title) { m_strTitle = title; }
    void SetFlags(unsigned flags) { m_nFlags = flags; }
    QString Title() const { return m_strTitle; }

    // True when a folder was chosen.
    bool Browse();
    // The chosen folder, absolute, without a trailing '/' (but "/").
    QString GetPath() const { return m_strPath; }

private:
    QWidget* m_pOwner;
    QString m_strTitle;
    unsigned m_nFlags = 0;
    QString m_strPath;
};
