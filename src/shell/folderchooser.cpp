#include "shell/folderchooser.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

CFolderChooser::DialogHook g_hook;

// Our own picker rather than the desktop's, whose dialogs have no room for an
// instruction text.
class CFolderDialog : public QDialog
{
public:
    CFolderDialog(QWidget* owner, const QString& title) : QDialog(owner)
    {
        setObjectName(QStringLiteral("CFolderDialog"));
        setWindowTitle(QStringLiteral("Обзор папок"));
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);

        m_pInstruction = new QLabel(title, this);
        m_pInstruction->setWordWrap(true);
        m_pInstruction->setTextFormat(Qt::PlainText);

        m_pModel = new QFileSystemModel(this);
        m_pModel->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
        m_pModel->setReadOnly(true);
        m_pModel->setRootPath(QStringLiteral("/"));

        m_pTree = new QTreeView(this);
        m_pTree->setModel(m_pModel);
        m_pTree->setHeaderHidden(true);
        for (int column = 1; column < m_pModel->columnCount(); ++column)
            m_pTree->hideColumn(column);
        m_pTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        m_pTree->header()->setStretchLastSection(false);
        // Nothing is chosen up front; the home folder is only opened to view.
        QModelIndex index = m_pModel->index(QDir::homePath());
        while (index.isValid()) {
            index = index.parent();
            if (index.isValid())
                m_pTree->expand(index);
        }
        m_pTree->expand(m_pModel->index(QStringLiteral("/")));

        m_pOk = new QPushButton(QStringLiteral("OK"), this);
        m_pOk->setDefault(true);
        m_pOk->setEnabled(false);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(m_pTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current) { m_pOk->setEnabled(current.isValid()); });

        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(m_pOk);
        buttons->addWidget(cancel);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_pInstruction);
        layout->addWidget(m_pTree, 1);
        layout->addLayout(buttons);
        resize(340, 420);
    }

    bool Select(const QString& path)
    {
        const QModelIndex index = m_pModel->index(QFileInfo(path).absoluteFilePath());
        if (!index.isValid() || !m_pModel->isDir(index))
            return false;
        m_pTree->setCurrentIndex(index);
        m_pTree->scrollTo(index);
        return true;
    }

    // The current folder: absolute, no trailing '/' but "/" itself; empty if none.
    QString ChosenPath() const
    {
        const QModelIndex index = m_pTree->currentIndex();
        if (!index.isValid() || !m_pModel->isDir(index))
            return {};
        const QFileInfo info(m_pModel->filePath(index));
        if (!info.isDir())
            return {};
        return QDir::cleanPath(info.absoluteFilePath());
    }

    QString Instruction() const { return m_pInstruction->text(); }

    void accept() override
    {
        // OK stays available only for a folder that really exists.
        if (ChosenPath().isEmpty())
            return;
        QDialog::accept();
    }

private:
    QLabel* m_pInstruction;
    QFileSystemModel* m_pModel;
    QTreeView* m_pTree;
    QPushButton* m_pOk;
};

CFolderDialog* AsChooser(QDialog* dialog)
{
    if (!dialog || dialog->objectName() != QLatin1String("CFolderDialog"))
        return nullptr;
    return static_cast<CFolderDialog*>(dialog);
}

} // namespace

bool CFolderChooser::Browse()
{
    // Flag 1 (file-system folders only) needs nothing more: the model holds nothing else.
    m_bBrowsing = true;
    CFolderDialog dialog(m_pOwner, m_strTitle);
    if (g_hook) {
        DialogHook hook = g_hook;
        QTimer::singleShot(0, &dialog, [hook, &dialog] { hook(&dialog); });
    }
    bool chosen = false;
    if (dialog.exec() == QDialog::Accepted) {
        const QString path = dialog.ChosenPath();
        if (!path.isEmpty()) {
            m_strPath = path;
            chosen = true;
        }
    }
    m_bBrowsing = false;
    return chosen;
}

void CFolderChooser::SetDialogHook(DialogHook hook)
{
    g_hook = std::move(hook);
}

bool CFolderChooser::SelectFolder(QDialog* dialog, const QString& path)
{
    CFolderDialog* chooser = AsChooser(dialog);
    return chooser && chooser->Select(path);
}

QString CFolderChooser::InstructionText(QDialog* dialog)
{
    CFolderDialog* chooser = AsChooser(dialog);
    return chooser ? chooser->Instruction() : QString();
}
