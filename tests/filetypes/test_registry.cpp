// The file-type registry and the extension key.
#include "archive/datfiletype.h"
#include "filetypes/filetypes.h"

#include <gtest/gtest.h>

namespace {

TEST(RegistryTest, ExtensionsFindTheirHandlerInAnyLetterCaseOthersKeepTheirSpelling)
{
    EXPECT_NE(dynamic_cast<CDAT_FRM_FileType*>(CreateFileType("fRm").get()), nullptr);
    EXPECT_NE(dynamic_cast<CDAT_RIX_FileType*>(CreateFileType("RIX").get()), nullptr);
    EXPECT_NE(dynamic_cast<CDAT_TXT_FileType*>(CreateFileType("Msg").get()), nullptr);
    EXPECT_NE(dynamic_cast<CDAT_MVE_FileType*>(CreateFileType("MVE").get()), nullptr);
    for (const std::string ext : {"Pal", "", "frm2", "fr"}) {
        auto type = CreateFileType(ext);
        EXPECT_TRUE(type->m_strDescription == ext && type->m_strExtension == ext && type->m_nImage == 0) << ext;
        EXPECT_EQ(type->m_nTypeKey, HashExtension(ext));
    }
    // Only A-Z fold in the key: the Cyrillic capital and small letters keep distinct keys.
    EXPECT_EQ(CreateFileType("FRM")->m_nTypeKey, HashExtension("fRm"));
    EXPECT_NE(HashExtension("\xC0"), HashExtension("\xE0"));
}

} // namespace
