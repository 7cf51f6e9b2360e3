#include "mediamodule.h"

#include "formats/apng.h"

#include <exception>

namespace {

template <class F> bool Guarded(std::string& error, F&& f)
{
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown failure";
    }
    return false;
}

const SMediaModule kModule = {
    kMediaModuleVersion,
    [](const std::uint8_t* data, std::size_t size, int channels, SSound& out, std::string& error) {
        return Guarded(error, [&] { out = DecodeAcm(data, size, channels); });
    },
    [](const std::uint8_t* data, std::size_t size, bool withPoster, SMovieFacts& out, std::string& error) {
        return Guarded(error, [&] { out = ReadMovieFacts(data, size, withPoster); });
    },
    [](const std::vector<SIndexedPicture>& frames, const std::uint8_t* palette768, bool transparent, int frameMs,
       std::string& out, std::string& error) {
        return Guarded(error, [&] { out = EncodeApng(frames, palette768, transparent, frameMs); });
    },
};

} // namespace

extern "C" __attribute__((visibility("default"))) const SMediaModule* DravikMediaModule()
{
    return &kModule;
}
