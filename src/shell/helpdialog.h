#pragma once
#include <QDialog>

class QPlainTextEdit;

// The help text of the Help menu.
class CDATHelpDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CDATHelpDialog(QWidget* parent = nullptr);
    static QString HelpText();
    QPlainTextEdit* Edit() const { return m_pEdit; }

private:
    QPlainTextEdit* m_pEdit;
};
