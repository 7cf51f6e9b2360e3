// The file-type registry and the extension key.
#include "filetypes/datfiletype.h"
#include "filetypes/filetypes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RegistryTest, KnownExtensionsGetTheirHandlerInAnyLetterCaseOthersKeepTheirSpelling)
{
    struct SRow
    {
        const char* extension;
        const char* description;
        int image;
    };
    const SRow rows[] = {
        {"frm", "FRM files", 3},       {"rix", "RIX files", 10},       {"txt", "Text files", 4},
        {"mve", "Movies MVE files", 5}, {"acm", "Sound ACM files", 6}, {"msg", "Msg files", 4},
        {"lst", "Lst files", 4},       {"gam", "Gam files", 4},        {"cfg", "Cfg files", 4},
        {"bio", "Bio files", 4},
    };
    for (const SRow& row : rows) {
        std::string upper = row.extension;
        for (char& c : upper)
            c = char(c - 'a' + 'A');
        for (const std::string& spelling : {std::string(row.extension), upper}) {
            SCOPED_TRACE(spelling);
            auto type = CreateFileType(spelling);
            ASSERT_NE(type, nullptr);
            EXPECT_EQ(type->m_strDescription, row.description);
            EXPECT_EQ(type->m_strExtension, row.extension);
            EXPECT_EQ(type->m_nImage, row.image);
            EXPECT_EQ(type->m_nTypeKey, HashExtension(row.extension));
        }
    }
    EXPECT_NE(dynamic_cast<CDAT_TXT_FileType*>(CreateFileType("Msg").get()), nullptr);

    // Unknown extensions keep their spelling.
    for (const std::string ext : {"Pal", "", "frm2", "fr"}) {
        SCOPED_TRACE(ext);
        auto type = CreateFileType(ext);
        EXPECT_TRUE(type->m_strDescription == ext && type->m_strExtension == ext && type->m_nImage == 0);
        EXPECT_EQ(type->m_nTypeKey, HashExtension(ext));
    }
}

TEST(RegistryTest, HashExtensionRotatesAndAddsSignedFoldedBytes)
{
    EXPECT_EQ(HashExtension("frm"), 0x0066726Du);
    EXPECT_EQ(HashExtension("fRM"), 0x0066726Du);
    EXPECT_EQ(HashExtension("rix"), 0x00726978u);
    EXPECT_EQ(HashExtension("abcde"), 0x626364C6u);
    EXPECT_EQ(HashExtension("ABCDE"), 0x626364C6u);
    EXPECT_EQ(HashExtension(""), 0u);
    EXPECT_EQ(HashExtension("\xFF"), 0xFFFFFFFFu);
    EXPECT_EQ(HashExtension("a\x80"), 0x6100u - 0x80u);
    // Only A-Z fold: the Cyrillic capital and small letters keep distinct keys.
    EXPECT_NE(HashExtension("\xC0"), HashExtension("\xE0"));
}

} // namespace
