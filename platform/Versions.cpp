#include "platform/Versions.h"

#include <dlfcn.h>
#include <fftw3.h>
#include <mpg123.h>

#include <filesystem>
#include <system_error>

namespace {

// libmpg123 has no version call in the releases Debian ships; the file the dynamic linker loaded names
// it (libmpg123.so.0.47.0), so that is what is reported.
std::string mpg123Version() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&mpg123_init), &info) || !info.dli_fname) return "libmpg123 (unknown)";
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : file.filename().string();
}

}  // namespace

std::string libraryVersions() { return windowBackendVersion() + ", " + mpg123Version() + ", " + fftwf_version; }
