#pragma once
// Packages for the document tests: built with libzip from named entries, read back entry by entry,
// and the standard templates of the build's program folder.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <zip.h>

#include <string>
#include <utility>
#include <vector>

namespace tvp::test {

struct DocxEntry {
    std::string name;
    QByteArray content;
    bool stored = false;
};

inline QString standardTemplate(const QString& fileName)
{
    return QStringLiteral(TVP_TEMPLATES_DIR "/") + fileName;
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The entries as a zip package in memory; libzip refuses repeated names, so those come from
// rewriteName below.
inline QByteArray makePackage(const std::vector<DocxEntry>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    for (const DocxEntry& e : entries) {
        zip_source_t* s = zip_source_buffer(archive, e.content.constData(), zip_uint64_t(e.content.size()), 0);
        const zip_int64_t i = zip_file_add(archive, e.name.c_str(), s, ZIP_FL_ENC_RAW);
        zip_set_file_compression(archive, zip_uint64_t(i), e.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    zip_close(archive);
    QByteArray out;
    zip_stat_t st;
    zip_source_stat(buffer, &st);
    zip_source_open(buffer);
    out.resize(qsizetype(st.size));
    zip_source_read(buffer, out.data(), st.size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    return out;
}

// Replaces a name of the same length everywhere in the package (local and central headers), to
// make names libzip would not write.
inline QByteArray rewriteName(QByteArray package, const QByteArray& from, const QByteArray& to)
{
    package.replace(from, to);
    return package;
}

struct ReadEntry {
    std::string name;
    QByteArray content;
    zip_uint64_t compressedSize = 0;
    zip_uint32_t crc = 0;
    zip_uint16_t method = 0;
};

// Every entry in order, inflated; empty when the package cannot be read.
inline std::vector<ReadEntry> readPackage(const QByteArray& package)
{
    std::vector<ReadEntry> out;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(package.constData(), zip_uint64_t(package.size()), 0, &error);
    zip_t* archive = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(src);
        return out;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(archive, zip_uint64_t(i), 0, &st);
        ReadEntry e{st.name, {}, st.comp_size, st.crc, st.comp_method};
        zip_file_t* f = zip_fopen_index(archive, zip_uint64_t(i), 0);
        e.content.resize(qsizetype(st.size));
        if (f) {
            zip_fread(f, e.content.data(), st.size);
            zip_fclose(f);
        }
        out.push_back(std::move(e));
    }
    zip_discard(archive);
    return out;
}

inline const ReadEntry* findEntry(const std::vector<ReadEntry>& entries, const std::string& name)
{
    for (const ReadEntry& e : entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

} // namespace tvp::test
