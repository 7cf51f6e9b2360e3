#include "filetypes/filetypes.h"

#include "archive/namecompare.h"
#include "filetypes/otherfiletype.h"
#include "filetypes/palfiletype.h"

namespace {

template <class T>
std::unique_ptr<CDATFileType> Make()
{
    return std::make_unique<T>();
}

// The direction files of a figure are FRM pictures too.
template <char Direction>
std::unique_ptr<CDATFileType> MakeDirectionFile()
{
    return std::make_unique<CDAT_FRM_FileType>(std::string("fr") + Direction);
}

struct SRegistryRow
{
    const char* extension;
    std::unique_ptr<CDATFileType> (*make)();
};

// Compared in this order; the first equal extension decides.
const SRegistryRow kRegistry[] = {
    {"frm", &Make<CDAT_FRM_FileType>}, {"rix", &Make<CDAT_RIX_FileType>}, {"txt", &Make<CDAT_TXT_FileType>},
    {"mve", &Make<CDAT_MVE_FileType>}, {"acm", &Make<CDAT_ACM_FileType>}, {"msg", &Make<CDAT_MSG_FileType>},
    {"lst", &Make<CDAT_LST_FileType>}, {"gam", &Make<CDAT_GAM_FileType>}, {"cfg", &Make<CDAT_CFG_FileType>},
    {"bio", &Make<CDAT_BIO_FileType>},
    {"fr0", &MakeDirectionFile<'0'>}, {"fr1", &MakeDirectionFile<'1'>}, {"fr2", &MakeDirectionFile<'2'>},
    {"fr3", &MakeDirectionFile<'3'>}, {"fr4", &MakeDirectionFile<'4'>}, {"fr5", &MakeDirectionFile<'5'>},
};

} // namespace

std::unique_ptr<CDATFileType> CreateFileType(std::string_view extension)
{
    for (const SRegistryRow& row : kRegistry)
        if (EqualNames(extension, row.extension))
            return row.make();
    if (EqualNames(extension, "pal"))
        return std::make_unique<CDAT_PAL_FileType>(std::string(extension));
    return std::make_unique<CDATOtherFileType>(std::string(extension));
}
