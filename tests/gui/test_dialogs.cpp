#include "archive/datfiledoc.h"
#include "fakes.h"
#include "helpers.h"
#include "platform/codepage.h"
#include "shell/aboutdlg.h"
#include "archive/cashpath.h"
#include "shell/folderchooser.h"
#include "shell/helpdialog.h"
#include "shell/optiondialog.h"
#include "shell/propdialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// The settings dialog over a cache path that starts at <temp>/old/.
class DialogsSettings : public ::testing::Test
{
protected:
    DialogsSettings()
    {
        m_path.Set(m_dir / "old");
        m_dialog.show();
    }

    // Types text and presses OK; true when the dialog closed.
    bool TypeAndOk(const std::string& text)
    {
        m_dialog.Edit()->setText(Q(text));
        m_dialog.OkButton()->click();
        return !m_dialog.isVisible();
    }

    CFakeUiServices m_ui;
    CTempDir m_dir;
    CCashPath m_path{false};
    CDATOptionDialog m_dialog{m_path};
};

} // namespace

TEST_F(DialogsSettings, MissingFolderAnsweredNoStaysOpenYesIsCreatedAndStored)
{
    const std::string typed = m_dir / "new";
    m_ui.m_answers = {IDNO};
    EXPECT_FALSE(TypeAndOk(typed));
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    ExpectMessage(m_ui, 0, "Директории " + typed + "не существует создать ее?", "Предупреждение",
                  MB_YESNO | MB_ICONQUESTION);
    EXPECT_FALSE(fs::exists(typed));
    EXPECT_EQ(m_path.Get(), m_dir / "old/");

    m_ui.m_answers = {IDYES};
    EXPECT_TRUE(TypeAndOk(typed));
    EXPECT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_TRUE(fs::is_directory(typed));
    EXPECT_EQ(m_path.Get(), typed + "/");
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
}

TEST_F(DialogsSettings, CreationFailuresAndFilesAreRefused)
{
    // The parent is missing too: one level only, so creation fails.
    const std::string deep = m_dir / "a/b";
    m_ui.m_answers = {IDYES};
    EXPECT_FALSE(TypeAndOk(deep));
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    ExpectMessage(m_ui, 1, "Не возможно создать директорию " + deep, "Ошибка", MB_OK | MB_ICONERROR);
    EXPECT_FALSE(fs::exists(m_dir / "a"));

    // An empty box names no folder at all.
    m_ui.m_messages.clear();
    m_ui.m_answers = {IDYES};
    EXPECT_FALSE(TypeAndOk(""));
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Директории не существует создать ее?");
    EXPECT_EQ(m_ui.m_messages[1].text, "Не возможно создать директорию ");

    // A file is not a folder.
    m_ui.m_messages.clear();
    WriteWholeFile(m_dir / "file", "x");
    EXPECT_FALSE(TypeAndOk(m_dir / "file"));
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    ExpectMessage(m_ui, 0, "Необходмио ввести имя директории", "Ошибка", MB_OK | MB_ICONERROR);

    EXPECT_EQ(m_path.Get(), m_dir / "old/");
}

TEST_F(DialogsSettings, ExistingFolderGetsATrailingSlash)
{
    fs::create_directory(m_dir / "cache");
    EXPECT_TRUE(TypeAndOk(m_dir / "cache"));
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_EQ(m_path.Get(), m_dir / "cache/");

    // Typed with the slash: stored as typed, untrimmed spaces included.
    fs::create_directory(m_dir / " spaced ");
    CDATOptionDialog again(m_path);
    again.show();
    again.Edit()->setText(Q(m_dir / " spaced /"));
    again.OkButton()->click();
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(m_path.Get(), m_dir / " spaced /");
}

TEST_F(DialogsSettings, ShowsTheValueBrowseFillsOnlyTheEditAndCancelKeepsTheValue)
{
    EXPECT_EQ(m_dialog.windowTitle(), QStringLiteral("Свойства"));
    EXPECT_EQ(m_dialog.Edit()->text(), Q(m_dir / "old/"));
    EXPECT_TRUE(m_dialog.OkButton()->isDefault());
    EXPECT_EQ(m_dialog.focusWidget(), m_dialog.OkButton());
    EXPECT_EQ(m_dialog.BrowseButton()->text(), QStringLiteral("&Обзор ..."));

    m_ui.m_folderAnswer = m_dir / "picked";
    m_dialog.BrowseButton()->click();
    ASSERT_EQ(m_ui.m_folderTitles.size(), 1u);
    EXPECT_EQ(m_ui.m_folderTitles[0], "Путь до кэша");
    EXPECT_EQ(m_dialog.Edit()->text(), Q(m_dir / "picked/"));

    m_ui.m_folderAnswer = "/";
    m_dialog.OnBrowse();
    EXPECT_EQ(m_dialog.Edit()->text(), QStringLiteral("/"));

    m_ui.m_folderAnswer.reset();
    m_dialog.OnBrowse();
    EXPECT_EQ(m_dialog.Edit()->text(), QStringLiteral("/"));

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_dialog, &esc);
    EXPECT_FALSE(m_dialog.isVisible());
    EXPECT_EQ(m_dialog.result(), QDialog::Rejected);
    EXPECT_EQ(m_path.Get(), m_dir / "old/");
    EXPECT_TRUE(m_ui.m_messages.empty());
}

namespace {

// An archive with a file two folders down (one named in Cyrillic) and one at the root.
class DialogsProperties : public ::testing::Test
{
protected:
    DialogsProperties()
    {
        CDatWriter writer;
        writer.AddStored("top.txt", "hello");
        writer.AddCompressed(EncodeCp1251("A\\Бета\\x.frm"), std::string(5000, 'a'));
        m_packed = writer.PackedBytes(1).size();
        writer.WriteTo(m_dir / "p.dat");
        m_doc.LoadArchive(m_dir / "p.dat");
    }

    CDATInternalFile& File(const std::string& name) { return FindFile(m_doc, name); }

    CFakeUiServices m_ui;
    CTempDir m_dir;
    CDATFileDoc m_doc{false};
    std::size_t m_packed = 0;
};

} // namespace

TEST_F(DialogsProperties, FileInNestedFoldersWithAndWithoutCacheAndAtTheRoot)
{
    CDATInternalFile& file = File("x.frm");
    CFilePropDialog dialog(nullptr, &file);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Свойства"));
    EXPECT_EQ(dialog.m_strName, QStringLiteral("x.frm"));
    EXPECT_EQ(dialog.m_strPath, QStringLiteral("A\\Бета\\x.frm"));
    EXPECT_EQ(dialog.m_strType, QStringLiteral("FRM files"));
    EXPECT_EQ(dialog.m_strSize, QStringLiteral("5000"));
    EXPECT_EQ(dialog.m_strPacked, QString::number(m_packed));
    EXPECT_EQ(dialog.m_strOffset, QString::number(file.m_nOffset));
    EXPECT_TRUE(dialog.m_strCache.isEmpty());
    EXPECT_EQ(dialog.m_nImage, file.GetImage());

    auto* tabs = dialog.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Общие"));
    // Every text sits in a read-only, borderless edit, so it can be copied.
    bool pathShown = false;
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_FALSE(edit->hasFrame());
        pathShown |= edit->text() == dialog.m_strPath;
    }
    EXPECT_TRUE(pathShown);
    EXPECT_EQ(dialog.findChildren<QLineEdit*>().size(), 7);

    file.m_strCachePath = "/tmp/кэш/p.dat-0000abcd/A/Бета/x.bmp";
    EXPECT_EQ(CFilePropDialog(nullptr, &file).m_strCache, QStringLiteral("/tmp/кэш/p.dat-0000abcd/A/Бета/x.bmp"));
    CFilePropDialog top(nullptr, &File("top.txt"));
    EXPECT_EQ(top.m_strPath, QStringLiteral("top.txt"));
    EXPECT_EQ(top.m_strSize, QStringLiteral("5"));
    EXPECT_EQ(top.m_strPacked, QStringLiteral("5"));
}

TEST_F(DialogsProperties, FolderHasNoNumbers)
{
    CFilePropDialog dialog(nullptr, &FindFolder(m_doc, EncodeCp1251("Бета")));
    EXPECT_EQ(dialog.m_strName, QStringLiteral("Бета"));
    EXPECT_EQ(dialog.m_strType, QStringLiteral("Folder"));
    EXPECT_EQ(dialog.m_strPath, QStringLiteral("A\\Бета"));
    for (const QString* number : {&dialog.m_strSize, &dialog.m_strPacked, &dialog.m_strOffset, &dialog.m_strCache})
        EXPECT_TRUE(number->isEmpty());
    EXPECT_TRUE(CFilePropDialog(nullptr, &m_doc.m_rootFolder).m_strPath.isEmpty());
}

TEST(DialogsHelp, TwentySixLinesWithTheListIndented)
{
    const QString text = CDATHelpDialog::HelpText();
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 26);
    EXPECT_EQ(lines[0], QStringLiteral("Ashmoor 2 DAT file browser"));
    EXPECT_EQ(lines[9], QStringLiteral("\t1. по директориям внутри DAT файла"));
    EXPECT_EQ(lines[10], QStringLiteral("\t2. по типам файлов"));

    CDATHelpDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Помощь"));
    QPlainTextEdit* edit = dialog.Edit();
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    ASSERT_EQ(edit->document()->blockCount(), 26);
    EXPECT_EQ(edit->document()->findBlockByNumber(9).text(), lines[9]);
    EXPECT_TRUE(edit->textInteractionFlags() & Qt::TextSelectableByMouse);
}

TEST(DialogsAbout, NameVersionAndPictureArea)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("О программе"));
    QStringList texts;
    QLabel* picture = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            picture = label;
        else
            texts << label->text();
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("Ashmoor 2 DAT file Browser")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Версия 0.9")));
    EXPECT_EQ(texts.size(), 4);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->contentsRect().size(), QSize(128, 96));
}

TEST(DialogsFolderChooser, ReturnsTheChosenAbsolutePath)
{
    CTempDir dir;
    const std::string folder = dir / "Папка";
    fs::create_directory(folder);

    CFolderChooser chooser;
    chooser.SetTitle(QStringLiteral("Путь до кэша"));
    chooser.SetFlags(1);
    QString instruction;
    bool selected = false;
    CFolderChooser::SetDialogHook([&](QDialog* dialog) {
        instruction = CFolderChooser::InstructionText(dialog);
        selected = CFolderChooser::SelectFolder(dialog, Q(folder + "/"));
        chooser.SetTitle(QStringLiteral("ignored while open"));
        dialog->accept();
    });
    const bool chosen = chooser.Browse();
    EXPECT_TRUE(selected);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(instruction, QStringLiteral("Путь до кэша"));
    EXPECT_EQ(chooser.GetPath(), Q(folder));
    EXPECT_EQ(chooser.Title(), QStringLiteral("Путь до кэша"));

    // The file-system root keeps its slash.
    CFolderChooser::SetDialogHook([&](QDialog* dialog) {
        CFolderChooser::SelectFolder(dialog, QStringLiteral("/"));
        dialog->accept();
    });
    EXPECT_TRUE(chooser.Browse());
    EXPECT_EQ(chooser.GetPath(), QStringLiteral("/"));

    // Files cannot be chosen; OK without a folder does nothing; Cancel returns nothing.
    WriteWholeFile(dir / "file", "x");
    CFolderChooser::SetDialogHook([&](QDialog* dialog) {
        selected = CFolderChooser::SelectFolder(dialog, Q(dir / "file"));
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    EXPECT_FALSE(CFolderChooser().Browse());
    EXPECT_FALSE(selected);
    CFolderChooser::SetDialogHook({});
}
