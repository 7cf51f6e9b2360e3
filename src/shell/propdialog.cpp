#include "shell/propdialog.h"

#include "archive/datfiledoc.h"
#include "archive/datitem.h"
#include "archive/sourcestack.h"
#include "platform/codepage.h"
#include "platform/ui/itemicons.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString FromArchive(const std::string& bytes)
{
    return QString::fromStdU16String(DecodeToUtf16(bytes));
}

QString FromSlot(void (CDATItem::*getter)(char*, int) const, const CDATItem& item)
{
    char buffer[100];
    (item.*getter)(buffer, int(sizeof buffer));
    return QString::fromLatin1(buffer);
}

QLineEdit* AddField(QWidget* parent, const QString& text)
{
    // Borderless and read-only: reads like a label, yet can be selected and copied.
    auto* edit = new QLineEdit(text, parent);
    edit->setReadOnly(true);
    edit->setFrame(false);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    edit->setCursorPosition(0);
    return edit;
}

} // namespace

std::string CFilePropDialog::ArchivePath(const CDATItem& item)
{
    std::string path = item.GetName();
    for (const CDATFolder* parent = item.m_pParent; parent && !parent->IsRoot();
         parent = parent->m_pParent)
        path = parent->GetName() + '\\' + path;
    return path;
}

CFilePropDialog::CFilePropDialog(QWidget* parent, CDATItem* item, const CDATFileDoc* doc) : QDialog(parent)
{
    setWindowTitle(tr("Свойства"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    if (item) {
        m_nImage = item->GetImage();
        m_strName = FromArchive(item->GetName());
        char type[100];
        item->GetTypeText(type, int(sizeof type));
        m_strType = FromArchive(type);
        const auto* file = dynamic_cast<const CDATInternalFile*>(item);
        if (file) {
            m_strCache = QString::fromUtf8(file->m_strCachePath.data(), qsizetype(file->m_strCachePath.size()));
            m_strSize = FromSlot(&CDATItem::GetSizeText, *item);
            m_strPacked = FromSlot(&CDATItem::GetPackedSizeText, *item);
            // A loose file of a folder source has no offset.
            if (!doc || !doc->IsLoose(*file))
                m_strOffset = FromSlot(&CDATItem::GetOffsetText, *item);
        }
        m_strPath = FromArchive(ArchivePath(*item));
        const CSourceStack* stack = doc ? doc->Stack() : nullptr;
        const auto* begin = doc ? doc->m_files.data() : nullptr;
        if (stack && file && file >= begin && file < begin + doc->m_files.size()) {
            for (const SEntryCopy& copy : stack->Copies(std::size_t(file - begin))) {
                const CStackSource& source = stack->Source(copy.m_nSource);
                const CStackSource::SEntry e = source.Entry(copy.m_nIndex);
                const bool loose = source.Kind() == CStackSource::EKind::kFolder;
                m_copies.push_back({QString::fromStdString(source.Path()), QString::number(e.m_nRealSize),
                                    QString::number(e.m_nPackedSize), loose ? QString() : QString::number(e.m_nOffset)});
            }
        }
    }

    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget(tabs);
    tabs->addTab(page, tr("Общие"));

    auto* icon = new QLabel(page);
    icon->setFixedSize(32, 32);
    icon->setPixmap(CItemIcons::Instance().Pixmap(m_nImage, true));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(icon);
    nameRow->addSpacing(8);
    nameRow->addWidget(AddField(page, m_strName), 1);

    auto* rule = new QFrame(page);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    const std::pair<const char*, const QString*> rows[] = {
        {QT_TR_NOOP("Тип:"), &m_strType},        {QT_TR_NOOP("Путь:"), &m_strPath},
        {QT_TR_NOOP("Размер:"), &m_strSize},     {QT_TR_NOOP("Сжатый:"), &m_strPacked},
        {QT_TR_NOOP("Смещение:"), &m_strOffset}, {QT_TR_NOOP("Кэш:"), &m_strCache},
    };
    int row = 0;
    for (const auto& [label, text] : rows) {
        grid->addWidget(new QLabel(tr(label), page), row, 0);
        grid->addWidget(AddField(page, *text), row, 1);
        ++row;
    }

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addLayout(nameRow);
    pageLayout->addWidget(rule);
    pageLayout->addLayout(grid);
    pageLayout->addStretch();

    if (!m_copies.empty()) {
        auto* copies = new QTreeWidget(tabs);
        copies->setObjectName(QStringLiteral("copies"));
        copies->setRootIsDecorated(false);
        copies->setHeaderLabels({tr("Источник"), tr("Размер"), tr("Сжатый"),
                                 tr("Смещение")});
        for (const QStringList& copy : m_copies)
            copies->addTopLevelItem(new QTreeWidgetItem(copy));
        copies->resizeColumnToContents(0);
        tabs->addTab(copies, tr("Копии (%1)").arg(m_copies.size()));
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addWidget(buttons);
    resize(300, 320);
    ok->setFocus();
}
