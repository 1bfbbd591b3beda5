// reelvista-make-samples OUTDIR: writes OUTDIR/default.swf and OUTDIR/samples/*.swf.
#include "catalog.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

namespace {

bool write(const samples::MovieWriter& movie, const std::filesystem::path& path,
           samples::Compression compression) {
    auto result = movie.writeFile(path, compression);
    if (const auto* error = std::get_if<swf::Error>(&result)) {
        std::fprintf(stderr, "reelvista-make-samples: %s\n", error->message.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: reelvista-make-samples OUTDIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(out / "samples", ec);
    if (ec) {
        std::fprintf(stderr, "reelvista-make-samples: cannot create %s: %s\n",
                     (out / "samples").string().c_str(), ec.message().c_str());
        return 1;
    }
    try {
        bool ok = write(samples::defaultMovie(), out / "default.swf", samples::Compression::Zlib);
        for (const samples::SampleMovie& s : samples::catalog())
            ok = write(s.build(), out / "samples" / s.fileName, s.compression) && ok;
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "reelvista-make-samples: %s\n", e.what());
        return 1;
    }
}
