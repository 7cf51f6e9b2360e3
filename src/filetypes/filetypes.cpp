#include "filetypes/filetypes.h"

#include "archive/namecompare.h"

namespace {

template <class T>
std::unique_ptr<CDATFileType> Make()
{
    return std::make_unique<T>();
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
};

} // namespace

std::unique_ptr<CDATFileType> CreateFileType(std::string_view extension)
{
    for (const SRegistryRow& row : kRegistry)
        if (EqualNames(extension, row.extension))
            return row.make();
    std::string ext(extension);
    return std::make_unique<CDATFileType>(ext, ext, 0);
}
