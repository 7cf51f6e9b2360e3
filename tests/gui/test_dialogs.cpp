// The settings, properties and folder dialogs.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "helpers.h"
#include "platform/codepage.h"
#include "archive/cashpath.h"
#include "shell/language.h"
#include "shell/optiondialog.h"
#include "shell/propdialog.h"
#include "shell/qtuiservices.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

TEST(DialogsSettings, TypedFolderIsCheckedCreatedOnYesAndStoredWithASlash)
{
    CFakeUiServices ui;
    CTempDir dir;
    fs::create_directory(dir / "cache");
    fs::create_directory(dir / " spaced ");
    WriteWholeFile(dir / "file", "x");
    const std::string ask = "Директории ", askEnd = "не существует создать ее?";
    const std::string cannot = "Не возможно создать директорию ";
    struct SCase
    {
        std::string typed;
        std::deque<int> answers;
        std::vector<std::string> messages;
        std::string stored; // empty: the dialog stays open and the old value stays
    };
    const SCase cases[] = {
        {dir / "new", {IDNO}, {ask + dir / "new" + askEnd}, ""},
        {dir / "new", {IDYES}, {ask + dir / "new" + askEnd}, dir / "new/"},
        // The parent is missing too: one level only, so creation fails.
        {dir / "a/b", {IDYES}, {ask + dir / "a/b" + askEnd, cannot + dir / "a/b"}, ""},
        {"", {IDYES}, {ask + askEnd, cannot}, ""},
        {dir / "file", {}, {"Необходмио ввести имя директории"}, ""},
        {dir / "cache", {}, {}, dir / "cache/"},
        // Typed with the slash: stored as typed, untrimmed spaces included.
        {dir / " spaced /", {}, {}, dir / " spaced /"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.typed);
        CCashPath path(false);
        path.Set(dir / "old");
        CDATOptionDialog dialog(path);
        dialog.show();
        ui.m_messages.clear();
        ui.m_answers = c.answers;
        dialog.Edit()->setText(Q(c.typed));
        dialog.OkButton()->click();
        EXPECT_EQ(dialog.isVisible(), c.stored.empty());
        EXPECT_EQ(path.Get(), c.stored.empty() ? dir / "old/" : c.stored);
        ASSERT_EQ(ui.m_messages.size(), c.messages.size());
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            const bool question = c.messages[i].starts_with(ask);
            ExpectMessage(ui, i, c.messages[i], question ? "Предупреждение" : "Ошибка",
                          question ? MB_YESNO | MB_ICONQUESTION : MB_OK | MB_ICONERROR);
        }
    }
    EXPECT_TRUE(fs::is_directory(dir / "new"));
    EXPECT_FALSE(fs::exists(dir / "a"));
}

TEST(DialogsSettings, BrowseFillsOnlyTheEditAndEscKeepsTheValue)
{
    CFakeUiServices ui;
    CTempDir dir;
    CCashPath path(false);
    path.Set(dir / "old");
    CDATOptionDialog dialog(path);
    dialog.show();
    EXPECT_EQ(dialog.Edit()->text(), Q(dir / "old/"));
    EXPECT_TRUE(dialog.OkButton()->isDefault() && dialog.focusWidget() == dialog.OkButton());
    // The chosen folder gets its slash, the root keeps its one; a cancel changes nothing.
    for (const auto& [answer, shown] : {std::pair{std::optional(dir / "picked"), dir / "picked/"},
                                        std::pair{std::optional<std::string>("/"), std::string("/")},
                                        std::pair{std::optional<std::string>(), std::string("/")}}) {
        ui.m_folderAnswer = answer;
        dialog.BrowseButton()->click();
        EXPECT_EQ(dialog.Edit()->text(), Q(shown));
    }
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &esc);
    EXPECT_TRUE(!dialog.isVisible() && dialog.result() == QDialog::Rejected);
    EXPECT_EQ(path.Get(), dir / "old/");
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(DialogsSettings, TheLanguageIsStoredOnOkAndRulesTheNextStart)
{
    CFakeUiServices ui;
    CTempDir dir;
    fs::create_directory(dir / "cache");
    const QLocale russian(QLocale::Russian, QLocale::Russia), german(QLocale::German, QLocale::Germany);
    struct SCase
    {
        QString pick; // the box's item by its setting value
        bool ok;
        QString stored, onRussianDesktop, onGermanDesktop;
    };
    const SCase cases[] = {
        {"", true, "", "ru", "en"},
        {"en", true, "en", "en", "en"},
        {"ru", false, "en", "en", "en"},
        {"ru", true, "ru", "ru", "ru"},
        {"", true, "", "ru", "en"},
    };
    QString before;
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pick.toStdString() + (c.ok ? " OK" : " Cancel"));
        CCashPath path(false);
        path.Set(dir / "cache");
        CDATOptionDialog dialog(path);
        dialog.show();
        EXPECT_EQ(dialog.LanguageBox()->currentData().toString(), before);
        dialog.LanguageBox()->setCurrentIndex(dialog.LanguageBox()->findData(c.pick));
        (c.ok ? dialog.OkButton() : dialog.CancelButton())->click();
        EXPECT_EQ(LanguageSetting(), c.stored);
        EXPECT_EQ(ChosenLanguage(LanguageSetting(), russian), c.onRussianDesktop);
        EXPECT_EQ(ChosenLanguage(LanguageSetting(), german), c.onGermanDesktop);
        before = c.stored;
    }
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(DialogsFolderChooser, TheDesktopDialogHasTheInstructionAsCaptionAndTakesATypedHiddenFolder)
{
    CTempDir dir;
    const std::string hidden = dir / ".local/share/Папка";
    fs::create_directories(hidden);
    CQtUiServices services;
    struct SCase
    {
        std::string typed;
        bool accept;
        std::optional<std::string> chosen;
    };
    const SCase cases[] = {{hidden, true, hidden}, {"/", true, "/"}, {hidden, false, std::nullopt}};
    for (const SCase& c : cases) {
        QString caption;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            answer.stop();
            caption = modal->windowTitle();
            auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (edit && qobject_cast<QFileDialog*>(modal))
                edit->setText(Q(c.typed));
            QMetaObject::invokeMethod(modal, c.accept && edit ? "accept" : "reject");
        });
        answer.start(5);
        EXPECT_EQ(services.BrowseForFolder(nullptr, "Путь до кэша"), c.chosen) << c.typed;
        EXPECT_EQ(caption, QStringLiteral("Путь до кэша"));
    }
}

TEST(DialogsProperties, FilesAndFoldersShowTheirPathTypeAndNumbersInReadOnlyEdits)
{
    CFakeUiServices ui;
    CTempDir dir;
    CDatWriter writer;
    writer.AddStored("top.txt", "hello");
    writer.AddCompressed(EncodeCp1251("A\\Бета\\x.frm"), std::string(5000, 'a'));
    const std::size_t packed = writer.PackedBytes(1).size();
    writer.WriteTo(dir / "p.dat");
    CDATFileDoc doc(false);
    doc.LoadArchive(dir / "p.dat");
    CDATInternalFile& file = FindFile(doc, "x.frm");
    const std::string cache = "/tmp/кэш/p.dat-0000abcd/A/Бета/x.bmp";
    file.m_strCachePath = cache;
    auto shown = [](CDATItem* item) {
        const CFilePropDialog d(nullptr, item);
        return QStringList({d.m_strName, d.m_strPath, d.m_strType, d.m_strSize, d.m_strPacked, d.m_strOffset,
                            d.m_strCache});
    };
    EXPECT_EQ(shown(&file), QStringList({"x.frm", "A\\Бета\\x.frm", "FRM files", "5000", QString::number(packed),
                                         QString::number(file.m_nOffset), Q(cache)}));
    EXPECT_EQ(shown(&FindFile(doc, "top.txt")).mid(1, 4), QStringList({"top.txt", "Text files", "5", "5"}));
    EXPECT_EQ(shown(&FindFolder(doc, EncodeCp1251("Бета"))), QStringList({"Бета", "A\\Бета", "Folder", "", "", "", ""}));
    EXPECT_TRUE(shown(&doc.m_rootFolder)[1].isEmpty());

    // Every text sits in a read-only, borderless edit, so it can be copied.
    CFilePropDialog dialog(nullptr, &file);
    EXPECT_EQ(dialog.m_nImage, file.GetImage());
    const QList<QLineEdit*> edits = dialog.findChildren<QLineEdit*>();
    EXPECT_EQ(edits.size(), 7);
    for (QLineEdit* edit : edits)
        EXPECT_TRUE(edit->isReadOnly() && !edit->hasFrame());
    EXPECT_TRUE(std::any_of(edits.begin(), edits.end(), [&](QLineEdit* e) { return e->text() == dialog.m_strPath; }));
}
