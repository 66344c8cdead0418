// Packs a WordprocessingML source folder into a .docx at build time: the entries in the order
// given, each deflated, all with the same fixed timestamp, so that the same sources always give
// the same bytes.
//
//   tvp-pack-docx <target.docx> <source folder> <entry>...

#include <zip.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr zip_uint16_t kDosDate = (0 << 9) | (1 << 5) | 1; // 1980-01-01
constexpr zip_uint16_t kDosTime = 0;

int fail(const std::string& text)
{
    std::fprintf(stderr, "tvp-pack-docx: %s\n", text.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return fail("usage: tvp-pack-docx <target.docx> <source folder> <entry>...");
    const std::string target = argv[1];
    const std::string folder = argv[2];
    std::vector<std::string> contents; // alive until the archive is closed
    contents.reserve(std::size_t(argc));
    int error = 0;
    zip_t* archive = zip_open(target.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return fail("cannot create " + target);
    for (int i = 3; i < argc; ++i) {
        const std::string entry = argv[i];
        std::ifstream in(folder + "/" + entry, std::ios::binary);
        if (!in) {
            zip_discard(archive);
            return fail("cannot read " + folder + "/" + entry);
        }
        contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        zip_source_t* source = zip_source_buffer(archive, contents.back().data(), contents.back().size(), 0);
        const zip_int64_t index = source ? zip_file_add(archive, entry.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0 || zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 9) != 0 ||
            zip_file_set_dostime(archive, zip_uint64_t(index), kDosTime, kDosDate, 0) != 0) {
            if (source && index < 0)
                zip_source_free(source);
            const std::string reason = zip_strerror(archive);
            zip_discard(archive);
            return fail(entry + ": " + reason);
        }
    }
    if (zip_close(archive) != 0) {
        const std::string reason = zip_strerror(archive);
        zip_discard(archive);
        return fail(reason);
    }
    return 0;
}
