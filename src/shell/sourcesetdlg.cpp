#include "shell/sourcesetdlg.h"

#include "archive/datfiledoc.h"
#include "platform/profile.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

QString SourceSetPath(const QStringList& sources)
{
    // One folder alone is a set too: it is no archive.
    if (sources.size() == 1 && !QFileInfo(sources.front()).isDir())
        return sources.front();
    std::vector<std::string> absolute;
    for (const QString& s : sources)
        absolute.push_back(QFileInfo(s).absoluteFilePath().toStdString());
    return QString::fromStdString(JoinSourceSet(absolute));
}

CSourceSetDialog::CSourceSetDialog(const QStringList& sources, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Набор архивов"));
    m_pList = new QListWidget(this);
    m_pList->addItems(sources);
    m_pList->setObjectName(QStringLiteral("sources"));
    auto* buttons = new QVBoxLayout;
    auto button = [&](const QString& text, auto slot) {
        auto* b = new QPushButton(text, this);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    button(tr("Добавить &архив..."), [this] { AddArchives(); });
    button(tr("Добавить &папку..."), [this] { AddFolder(); });
    m_rowButtons = {button(tr("&Выше"), [this] { Move(-1); }), button(tr("&Ниже"), [this] { Move(1); }),
                    button(tr("&Удалить"), [this] { delete m_pList->currentItem(); UpdateButtons(); })};
    buttons->addStretch();
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = box->button(QDialogButtonBox::Ok);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pList, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });

    auto* row = new QHBoxLayout;
    row->addWidget(m_pList, 1);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Файлы нижних источников заменяют файлы верхних:"), this));
    layout->addLayout(row);
    layout->addWidget(box);
    resize(560, 320);
    UpdateButtons();
}

QStringList CSourceSetDialog::Sources() const
{
    QStringList sources;
    for (int i = 0; i < m_pList->count(); ++i)
        sources << m_pList->item(i)->text();
    return sources;
}

void CSourceSetDialog::AddArchives()
{
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters({QStringLiteral("DAT archives (*.dat)"), QStringLiteral("All Files (*)")});
    if (const QString last = CProfile::GetLastFolder(QStringLiteral("Open")); !last.isEmpty())
        dialog.setDirectory(last);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    CProfile::SetLastFolder(QStringLiteral("Open"), QFileInfo(dialog.selectedFiles().front()).absolutePath());
    m_pList->addItems(dialog.selectedFiles());
    m_pList->setCurrentRow(m_pList->count() - 1);
}

void CSourceSetDialog::AddFolder()
{
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_pList->addItem(dialog.selectedFiles().front());
    m_pList->setCurrentRow(m_pList->count() - 1);
}

void CSourceSetDialog::Move(int step)
{
    const int row = m_pList->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= m_pList->count())
        return;
    m_pList->insertItem(to, m_pList->takeItem(row));
    m_pList->setCurrentRow(to);
}

void CSourceSetDialog::UpdateButtons()
{
    const int row = m_pList->currentRow();
    m_rowButtons[0]->setEnabled(row > 0);
    m_rowButtons[1]->setEnabled(row >= 0 && row + 1 < m_pList->count());
    m_rowButtons[2]->setEnabled(row >= 0);
    m_pOk->setEnabled(m_pList->count() > 0);
}
