#include "shell/optiondialog.h"

#include <QLineEdit>

CDATOptionDialog::CDATOptionDialog(CCashPath& path, QWidget* parent)
    : QDialog(parent), m_path(path), m_pEdit(new QLineEdit(this))
{
}
void CDATOptionDialog::OnBrowse() {}
void CDATOptionDialog::accept()
{
    QDialog::accept();
}
