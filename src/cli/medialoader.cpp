// The command line's sound, movie and animation routines: the same calls as
// the browser's, served by the FFmpeg module, which is loaded on the first
// call only. Its place relative to the program is fixed at build time.
#include "formats/apng.h"
#include "mediamodule.h"

#include <dlfcn.h>
#include <limits.h>
#include <mutex>
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

template <class Error> const SMediaModule& Module()
{
    static std::string why;
    static const SMediaModule* module = Load(why);
    if (!module)
        throw Error("sound and movie support cannot be loaded: " + why);
    return *module;
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
