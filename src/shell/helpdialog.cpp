#include "shell/helpdialog.h"

#include <QPlainTextEdit>

CDATHelpDialog::CDATHelpDialog(QWidget* parent) : QDialog(parent), m_pEdit(new QPlainTextEdit(this)) {}
QString CDATHelpDialog::HelpText()
{
    return {};
}
