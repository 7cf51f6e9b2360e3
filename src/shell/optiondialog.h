#pragma once
// The settings dialog: the cache folder, checked and created on OK, and the
// window's language, which takes effect on the next start, and the default
// palette for pictures whose archive has none.
#include "platform/cwnd.h"

#include <QDialog>
#include <string>

class CCashPath;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A CWnd too, so that the message boxes and the folder chooser it raises are
// owned by it rather than by the main window.
class CDATOptionDialog : public QDialog, public CWnd
{
    Q_OBJECT
public:
    // defaultPalette: the setting to show and change; null leaves it out.
    CDATOptionDialog(CCashPath& path, QWidget* parent = nullptr, std::string* defaultPalette = nullptr);

    QLineEdit* Edit() const { return m_pEdit; }
    QPushButton* BrowseButton() const { return m_pBrowse; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    QComboBox* LanguageBox() const { return m_pLanguage; }
    QComboBox* PaletteBox() const { return m_pPalette; }
    void OnBrowse();
    // The cache's size, and emptying it (after a question).
    QLabel* CacheLabel() const { return m_pCacheLabel; }
    QPushButton* EmptyCacheButton() const { return m_pEmptyCache; }
    void OnEmptyCache();
    bool CacheEmptied() const { return m_bCacheEmptied; }
    void accept() override; // the OK checks

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CheckAndAccept();
    void ShowCurrentValue();
    void ShowCacheUsage();

    CCashPath& m_path;
    QLineEdit* m_pEdit;
    QPushButton* m_pBrowse;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
    QComboBox* m_pLanguage;
    QLabel* m_pCacheLabel;
    QPushButton* m_pEmptyCache;
    bool m_bCacheEmptied = false;
    bool m_bInitialised = false;
    std::string* m_pDefaultPalette;
    QComboBox* m_pPalette = nullptr;
};
