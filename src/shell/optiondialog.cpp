#include "shell/optiondialog.h"

#include "platform/uiservices.h"
#include "archive/cashpath.h"
#include "platform/ui/guarded.h"
#include "shell/defaultpalette.h"
#include "shell/qtuiservices.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <sys/stat.h>

CDATOptionDialog::CDATOptionDialog(CCashPath& path, QWidget* parent, std::string* defaultPalette)
    : QDialog(parent), m_path(path), m_pEdit(new QLineEdit(this)), m_pDefaultPalette(defaultPalette)
{
    setWindowTitle(QStringLiteral("Свойства"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* prompt = new QLabel(QStringLiteral("Выберите путь для временного хранения файлов из DAT файла"), this);
    ShowCurrentValue();
    m_pEdit->setMinimumWidth(320);
    m_pBrowse = new QPushButton(QStringLiteral("&Обзор ..."), this);
    auto* buttons = new QDialogButtonBox(this);
    m_pOk = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_pCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_pOk->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(prompt, 0, 0, 1, 2);
    layout->addWidget(m_pEdit, 1, 0);
    layout->addWidget(m_pBrowse, 1, 1);
    if (m_pDefaultPalette) {
        // Free text, offering the palettes of archives opened before.
        m_pPalette = new QComboBox(this);
        m_pPalette->setEditable(true);
        m_pPalette->addItem(QString());
        m_pPalette->addItems(RememberedPalettes());
        m_pPalette->setEditText(QString::fromStdString(*m_pDefaultPalette));
        auto* choose = new QPushButton(QStringLiteral("О&бзор ..."), this);
        layout->addWidget(new QLabel(QStringLiteral("Палитра для архивов без палитры"), this), 2, 0, 1, 2);
        layout->addWidget(m_pPalette, 3, 0);
        layout->addWidget(choose, 3, 1);
        connect(choose, &QPushButton::clicked, this, [this] {
            const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Палитра"), m_pPalette->currentText(),
                                                              QStringLiteral("PAL files (*.pal);;All files (*)"));
            if (!file.isEmpty())
                m_pPalette->setEditText(file);
        });
    }
    layout->addWidget(buttons, 4, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_pOk, m_pCancel);
    setTabOrder(m_pCancel, m_pEdit);
    setTabOrder(m_pEdit, m_pBrowse);
    m_pOk->setFocus();

    connect(m_pBrowse, &QPushButton::clicked, this, [this] { GuardedCall("", [this] { OnBrowse(); }); });
    connect(buttons, &QDialogButtonBox::accepted, this, &CDATOptionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDATOptionDialog::reject);
}

void CDATOptionDialog::ShowCurrentValue()
{
    const std::string& value = m_path.Get();
    m_pEdit->setText(QString::fromUtf8(value.data(), qsizetype(value.size())));
}

void CDATOptionDialog::showEvent(QShowEvent* event)
{
    // The value as it stands when the dialog opens, not when it was built.
    if (!m_bInitialised) {
        m_bInitialised = true;
        ShowCurrentValue();
    }
    QDialog::showEvent(event);
}

void CDATOptionDialog::OnBrowse()
{
    std::optional<std::string> folder = UiServices().BrowseForFolder(this, "Путь до кэша");
    if (!folder)
        return;
    std::string path = *folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    // Only the edit box: the setting itself changes on OK.
    m_pEdit->setText(QString::fromUtf8(path.data(), qsizetype(path.size())));
}

void CDATOptionDialog::accept()
{
    GuardedCall("", [this] { CheckAndAccept(); });
}

void CDATOptionDialog::CheckAndAccept()
{
    // Exactly as typed: no trimming.
    const std::string path = m_pEdit->text().toStdString();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (UiServices().MessageBox(this, "Директории " + path + "не существует создать ее?", "Предупреждение",
                                    MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        if (::mkdir(path.c_str(), 0777) != 0) {
            UiServices().MessageBox(this, "Не возможно создать директорию " + path, "Ошибка", MB_OK | MB_ICONERROR);
            return;
        }
    } else if (!S_ISDIR(info.st_mode)) {
        UiServices().MessageBox(this, "Необходмио ввести имя директории", "Ошибка", MB_OK | MB_ICONERROR);
        return;
    }
    if (m_pPalette) {
        const std::string palette = m_pPalette->currentText().trimmed().toStdString();
        // Only the first 768 bytes count: anything shorter is not a palette.
        if (!palette.empty() && QFileInfo(QString::fromStdString(palette)).size() < 768) {
            UiServices().MessageBox(this, "Файл палитры не найден: " + palette, "Ошибка", MB_OK | MB_ICONERROR);
            return;
        }
        *m_pDefaultPalette = palette;
        StoreDefaultPalettePath(palette);
    }
    m_path.Set(path);
    QDialog::accept();
}
