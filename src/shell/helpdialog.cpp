#include "shell/helpdialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

CDATHelpDialog::CDATHelpDialog(QWidget* parent) : QDialog(parent), m_pEdit(new QPlainTextEdit(this))
{
    setWindowTitle(tr("Помощь"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_pEdit->setReadOnly(true);
    m_pEdit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_pEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pEdit->setTabStopDistance(8 * m_pEdit->fontMetrics().averageCharWidth());
    // The text keeps its CRLF line ends; the edit wants plain line feeds.
    m_pEdit->setPlainText(HelpText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pEdit, 1);
    layout->addWidget(buttons);
    setTabOrder(ok, m_pEdit);
    ok->setFocus();
    resize(370, 350);
}

QString CDATHelpDialog::HelpText()
{
    const QStringList lines = {
        QStringLiteral("Ashmoor 2 DAT file browser"),
        QString(),
        tr("Предназначен для просмотра упакованных файлов с ресурсами Ashmoor 2 (DAT - файлов) "),
        QString(),
        tr("Позволяет просматривать, открывать и сохранять FRM, RIX, текстовые файлы, а также запускать на "
                       "просмотр виде-ролики (MVE)"),
        QString(),
        tr("В левой части расположено дерево файлов,правая верхняя содержит список файлов, правая нижняя "
                       "- содержимое файла."),
        QString(),
        tr("Возможно два вида отображения дерева:"),
        tr("\t1. по директориям внутри DAT файла"),
        tr("\t2. по типам файлов"),
        tr("Смена режимов:  Меню - Вид - Папки (Типы)"),
        QString(),
        tr("По умолчанию при выборе файла в списке файлов происходит автоматическое отображение "
                       "содержимого в нижней части."),
        tr("При желании этот режим можно отключить: Меню - Вид - Автопоказ."),
        tr("При отключенном автопоказе просмотр осуществляется кнопкой просмотр на панели."),
        tr("Для сохранения или открытия файла необходимо выбрать его в списке файлов и вызвать "
                       "контекстное меню, далее по вкусу."),
        QString(),
        tr("Первая версия browser'а."),
        tr("Интересен будет всем кто хочет знать что внутри."),
        QString(),
        tr("Спасибо сообществу моддеров Ashmoor 2 за сведения о форматах файлов."),
        QString(),
        tr("Пожелания и замечания направляйте разработчикам проекта Dravik:"),
        tr("трекер задач проекта (раздел Issues его репозитория)"),
        tr("или обсуждения проекта (раздел Discussions его репозитория)"),
    };
    return lines.join(QStringLiteral("\r\n"));
}
