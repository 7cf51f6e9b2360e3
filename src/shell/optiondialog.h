#pragma once
// The settings dialog: the cache folder, checked and created on OK.
#include <QDialog>

class CCashPath;
class QLineEdit;

class CDATOptionDialog : public QDialog
{
    Q_OBJECT
public:
    CDATOptionDialog(CCashPath& path, QWidget* parent = nullptr);

    QLineEdit* Edit() const { return m_pEdit; }
    void OnBrowse();
    void accept() override; // the OK checks

private:
    CCashPath& m_path;
    QLineEdit* m_pEdit;
};
