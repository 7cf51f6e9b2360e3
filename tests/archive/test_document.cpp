// The document: emptying, reopening and entry look-up.
#include "archive/datfiledoc.h"
#include "helpers.h"
#include "fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DocumentTest : public ::testing::Test
{
protected:
    DocumentTest() { m_doc.AddView(&m_view); }
    std::string Write(const std::vector<std::string>& names) { return WriteNamesArchive(m_dir, names); }

    CTempDir m_dir;
    CFakeUiServices m_ui;
    CDATFileDoc m_doc{false};
    CCountingView m_view;
};

TEST_F(DocumentTest, OpeningASecondArchiveEmptiesTheFirstAndStartsIdsAgain)
{
    ASSERT_TRUE(m_doc.OpenDocumentFile(Write({"one\\a.frm", "one\\two\\b.msg", "color.pal"})));
    m_doc.SetViewMode(1);
    m_doc.ListFolder(&m_doc.m_rootFolder, nullptr);
    const int before = m_view.m_nUpdates;
    const std::string second = Write({"three\\c.txt"});
    ASSERT_TRUE(m_doc.OpenDocumentFile(second));
    EXPECT_GT(m_view.m_nUpdates, before);
    EXPECT_EQ(m_doc.GetPathName(), second);
    EXPECT_EQ(m_doc.m_nViewMode, 1);
    EXPECT_EQ(m_doc.m_pPaletteEntry, nullptr);
    EXPECT_TRUE(m_doc.m_listing.empty());
    ASSERT_TRUE(m_doc.m_files.size() == 1 && m_doc.m_folders.size() == 1 && m_doc.m_types.size() == 1);
    EXPECT_EQ(m_doc.m_folders.begin()->m_nID, 1u);
    EXPECT_EQ(m_doc.m_types.begin()->second->m_nID, 2u);
    EXPECT_EQ(m_doc.m_files[0].m_pParent, &*m_doc.m_folders.begin());
    m_doc.DeleteContents();
    EXPECT_TRUE(m_doc.m_files.empty() && m_doc.m_folders.empty() && m_doc.m_types.empty() && !m_doc.IsLoaded());
    EXPECT_EQ(m_doc.m_nNextItemId, 1u);
}

TEST_F(DocumentTest, FindEntryMatchesAnyCaseEarliestFirstElsePalette)
{
    m_doc.LoadArchive(Write({"a\\Intro.MVE", "b\\intro.mve", "art\\color.pal", "COLOR.PAL"}));
    EXPECT_EQ(m_doc.FindEntry("INTRO.mve"), &m_doc.m_files[0]);
    EXPECT_EQ(m_doc.FindEntry("color.pal"), &m_doc.m_files[2]);
    EXPECT_EQ(m_doc.FindEntry("missing.frm"), &m_doc.m_files[2]);
    EXPECT_EQ(m_doc.FindEntry("a\\Intro.MVE"), &m_doc.m_files[2]);
    m_doc.LoadArchive(Write({"a\\x.frm"}));
    EXPECT_EQ(m_doc.FindEntry("missing.frm"), nullptr);
}

} // namespace
