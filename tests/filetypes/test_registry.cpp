// The file-type registry and the extension key.
#include "filetypes/datfiletype.h"
#include "filetypes/filetypes.h"

#include <gtest/gtest.h>

namespace {

TEST(RegistryTest, ExtensionsFindTheirHandlerInAnyLetterCaseOthersKeepTheirSpelling)
{
    EXPECT_NE(dynamic_cast<CDAT_FRM_FileType*>(CreateFileType("fRm").get()), nullptr);
    EXPECT_NE(dynamic_cast<CDAT_RIX_FileType*>(CreateFileType("RIX").get()), nullptr);
    EXPECT_NE(dynamic_cast<CDAT_TXT_FileType*>(CreateFileType("Msg").get()), nullptr);
    EXPECT_NE(dynamic_cast<CDAT_MVE_FileType*>(CreateFileType("MVE").get()), nullptr);
    EXPECT_EQ(CreateFileType("BIO")->m_strExtension, "bio");
    for (const std::string ext : {"Pal", "", "frm2", "fr"}) {
        auto type = CreateFileType(ext);
        EXPECT_TRUE(type->m_strDescription == ext && type->m_strExtension == ext && type->m_nImage == 0) << ext;
        EXPECT_EQ(type->m_nTypeKey, HashExtension(ext));
    }
}

TEST(RegistryTest, HashExtensionRotatesAndAddsSignedFoldedBytes)
{
    EXPECT_EQ(HashExtension("fRM"), 0x0066726Du);
    EXPECT_EQ(HashExtension("ABCDE"), 0x626364C6u);
    EXPECT_EQ(HashExtension("\xFF"), 0xFFFFFFFFu);
    EXPECT_EQ(HashExtension("a\x80"), 0x6100u - 0x80u);
    // Only A-Z fold: the Cyrillic capital and small letters keep distinct keys.
    EXPECT_NE(HashExtension("\xC0"), HashExtension("\xE0"));
}

} // namespace
