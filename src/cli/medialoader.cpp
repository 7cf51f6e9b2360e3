// The command line's sound, movie and animation routines: the same calls as
// the browser's, served by the FFmpeg module, which is loaded on the first
// call only. Its place relative to the program is fixed at build time.
#include "formats/apng.h"
#include "mediamodule.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdexcept>
#include <unistd.h>

namespace {

std::string ProgramFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    std::string s(path, std::size_t(n));
    return s.substr(0, s.rfind('/') + 1);
}

const SMediaModule* Load(std::string& why)
{
    const std::string folder = ProgramFolder();
    // Beside the program in a build tree, in the library folder once installed.
    for (const char* place : {DRAVIK_MEDIA_MODULE_NAME, DRAVIK_MEDIA_MODULE_INSTALLED}) {
        const std::string path = folder + place;
        if (::access(path.c_str(), R_OK) != 0)
            continue;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            why = ::dlerror();
            return nullptr;
        }
        auto entry = reinterpret_cast<const SMediaModule* (*)()>(::dlsym(handle, kMediaModuleEntry));
        const SMediaModule* module = entry ? entry() : nullptr;
        if (!module || module->m_nVersion != kMediaModuleVersion) {
            why = path + " belongs to another version of this program";
            return nullptr;
        }
        return module;
    }
    why = DRAVIK_MEDIA_MODULE_NAME " is missing beside the program and in " DRAVIK_MEDIA_MODULE_INSTALLED;
    return nullptr;
}

struct SLoaded
{
    const SMediaModule* m_pModule = nullptr;
    std::string m_strWhy;
};

// Loaded once for the whole run, whichever call comes first.
const SLoaded& Loaded()
{
    static const SLoaded loaded = [] {
        SLoaded l;
        l.m_pModule = Load(l.m_strWhy);
        return l;
    }();
    return loaded;
}

template <class Error> const SMediaModule& Module()
{
    const SLoaded& loaded = Loaded();
    if (!loaded.m_pModule)
        throw Error("sound and movie support cannot be loaded: " + loaded.m_strWhy);
    return *loaded.m_pModule;
}

} // namespace

SSound DecodeAcm(const std::uint8_t* data, std::size_t size, int channels)
{
    SSound out;
    std::string error;
    if (!Module<CMediaError>().m_decodeAcm(data, size, channels, out, error))
        throw CMediaError(error);
    return out;
}

SMovieFacts ReadMovieFacts(const std::uint8_t* data, std::size_t size, bool withPoster)
{
    SMovieFacts out;
    std::string error;
    if (!Module<CMediaError>().m_readMovieFacts(data, size, withPoster, out, error))
        throw CMediaError(error);
    return out;
}

std::string EncodeApng(const std::vector<SIndexedPicture>& frames, const std::uint8_t* palette768, bool transparent,
                       int frameMs)
{
    std::string out, error;
    if (!Module<std::runtime_error>().m_encodeApng(frames, palette768, transparent, frameMs, out, error))
        throw std::runtime_error(error);
    return out;
}
