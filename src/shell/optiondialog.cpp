#include "shell/optiondialog.h"

#include "platform/uiservices.h"
#include "archive/cashpath.h"
#include "filetypes/cachepath.h"
#include "platform/ui/guarded.h"
#include "shell/defaultpalette.h"
#include "shell/language.h"
#include "shell/qtuiservices.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <algorithm>
#include <sys/stat.h>

namespace {

// Translated texts for the UI services, a %1 filled in with a path as typed.
std::string Text(const QString& text)
{
    return text.toStdString();
}

std::string Text(const QString& text, const std::string& path)
{
    return text.arg(QString::fromStdString(path)).toStdString();
}

} // namespace

CDATOptionDialog::CDATOptionDialog(CCashPath& path, QWidget* parent, std::string* defaultPalette)
    : QDialog(parent), m_path(path), m_pEdit(new QLineEdit(this)), m_pDefaultPalette(defaultPalette)
{
    setWindowTitle(tr("Свойства"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* prompt = new QLabel(tr("Выберите путь для временного хранения файлов из DAT файла"), this);
    ShowCurrentValue();
    m_pEdit->setMinimumWidth(320);
    m_pBrowse = new QPushButton(tr("&Обзор ..."), this);
    m_pCacheLabel = new QLabel(this);
    m_pEmptyCache = new QPushButton(tr("О&чистить кэш"), this);
    ShowCacheUsage();
    auto* buttons = new QDialogButtonBox(this);
    m_pOk = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_pCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_pOk->setDefault(true);

    // Each language by its own name, so that either can be found in the other.
    auto* languageLabel = new QLabel(tr("&Язык (после перезапуска):"), this);
    m_pLanguage = new QComboBox(this);
    m_pLanguage->addItem(tr("Как на рабочем столе"), QString());
    m_pLanguage->addItem(QStringLiteral("English"), QLatin1String(kLanguageEnglish));
    m_pLanguage->addItem(tr("Русский"), QLatin1String(kLanguageRussian));
    m_pLanguage->setCurrentIndex(std::max(0, m_pLanguage->findData(LanguageSetting())));
    languageLabel->setBuddy(m_pLanguage);

    auto* layout = new QGridLayout(this);
    layout->addWidget(prompt, 0, 0, 1, 2);
    layout->addWidget(m_pEdit, 1, 0);
    layout->addWidget(m_pBrowse, 1, 1);
    layout->addWidget(m_pCacheLabel, 2, 0);
    layout->addWidget(m_pEmptyCache, 2, 1);
    if (m_pDefaultPalette) {
        // Free text, offering the palettes of archives opened before.
        m_pPalette = new QComboBox(this);
        m_pPalette->setEditable(true);
        m_pPalette->addItem(QString());
        m_pPalette->addItems(RememberedPalettes());
        m_pPalette->setEditText(QString::fromStdString(*m_pDefaultPalette));
        auto* choose = new QPushButton(tr("О&бзор ..."), this);
        layout->addWidget(new QLabel(tr("Палитра для архивов без палитры"), this), 3, 0, 1, 2);
        layout->addWidget(m_pPalette, 4, 0);
        layout->addWidget(choose, 4, 1);
        connect(choose, &QPushButton::clicked, this, [this] {
            const QString file = QFileDialog::getOpenFileName(this, tr("Палитра"), m_pPalette->currentText(),
                                                              tr("PAL files (*.pal);;All files (*)"));
            if (!file.isEmpty())
                m_pPalette->setEditText(file);
        });
    }
    layout->addWidget(languageLabel, 5, 0, 1, 2);
    layout->addWidget(m_pLanguage, 6, 0, 1, 2);
    layout->addWidget(buttons, 7, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_pOk, m_pCancel);
    setTabOrder(m_pCancel, m_pEdit);
    setTabOrder(m_pEdit, m_pBrowse);
    setTabOrder(m_pBrowse, m_pLanguage);
    m_pOk->setFocus();

    connect(m_pBrowse, &QPushButton::clicked, this, [this] { GuardedCall("", [this] { OnBrowse(); }); });
    connect(m_pEmptyCache, &QPushButton::clicked, this, [this] { GuardedCall("", [this] { OnEmptyCache(); }); });
    connect(buttons, &QDialogButtonBox::accepted, this, &CDATOptionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDATOptionDialog::reject);
}

void CDATOptionDialog::ShowCurrentValue()
{
    const std::string& value = m_path.Get();
    m_pEdit->setText(QString::fromUtf8(value.data(), qsizetype(value.size())));
}

void CDATOptionDialog::ShowCacheUsage()
{
    const SCacheUsage usage = MeasureCache(m_path.Get());
    m_pCacheLabel->setText(tr("Кэш занимает %1 (файлов: %2)")
                               .arg(locale().formattedDataSize(qint64(usage.m_nBytes)),
                                    QString::number(usage.m_nFiles)));
    m_pEmptyCache->setEnabled(usage.m_nFiles != 0);
}

void CDATOptionDialog::OnEmptyCache()
{
    if (UiServices().MessageBox(this, Text(tr("Удалить файлы кэша из %1?"), m_path.Get()), Text(tr("Предупреждение")),
                                MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_bCacheEmptied = true;
    EmptyCache(m_path.Get());
    ShowCacheUsage();
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
    std::optional<std::string> folder = UiServices().BrowseForFolder(this, tr("Путь до кэша").toStdString());
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
        if (UiServices().MessageBox(this, Text(tr("Директории %1не существует создать ее?"), path),
                                    Text(tr("Предупреждение")), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        if (::mkdir(path.c_str(), 0777) != 0) {
            UiServices().MessageBox(this, Text(tr("Не возможно создать директорию %1"), path), Text(tr("Ошибка")),
                                    MB_OK | MB_ICONERROR);
            return;
        }
    } else if (!S_ISDIR(info.st_mode)) {
        UiServices().MessageBox(this, Text(tr("Необходмио ввести имя директории")), Text(tr("Ошибка")),
                                MB_OK | MB_ICONERROR);
        return;
    }
    if (m_pPalette) {
        const std::string palette = m_pPalette->currentText().trimmed().toStdString();
        // Only the first 768 bytes count: anything shorter is not a palette.
        if (!palette.empty() && QFileInfo(QString::fromStdString(palette)).size() < 768) {
            UiServices().MessageBox(this, Text(tr("Файл палитры не найден: %1"), palette), Text(tr("Ошибка")),
                                    MB_OK | MB_ICONERROR);
            return;
        }
        *m_pDefaultPalette = palette;
        StoreDefaultPalettePath(palette);
    }
    m_path.Set(path);
    SetLanguageSetting(m_pLanguage->currentData().toString());
    QDialog::accept();
}
