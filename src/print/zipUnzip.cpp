#include "print/zipUnzip.h"

#include "base/AtomicFile.h"
#include "display/TDIB.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <zip.h>

namespace vorlane {
namespace {

constexpr const char* kMemberName = "couleur.bmp";
// A coloured picture is at most a screen's worth of pixels; anything far larger
// is a decompression bomb, not a child's drawing.
constexpr std::uint64_t kMaxMemberSize = 64u << 20;

struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
struct ArchiveDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct FileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceFree>;
using ArchivePtr = std::unique_ptr<zip_t, ArchiveDiscard>;
using FilePtr = std::unique_ptr<zip_file_t, FileClose>;

// A libzip archive over bytes in memory. Writing happens in memory too, so that
// the method can be chosen before anything reaches the disk and the file is then
// replaced in one atomic step (libzip's own file writer renames before flushing).
class MemoryArchive {
public:
    MemoryArchive(std::span<const std::uint8_t> bytes, int flags, const std::string& path)
    {
        zip_error_t error;
        zip_error_init(&error);
        SourcePtr source(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
        zip_error_fini(&error);
        if (!source)
            throw std::bad_alloc();
        m_archive.reset(zip_open_from_source(source.get(), flags, &error));
        zip_error_fini(&error);
        if (!m_archive)
            throw EInvalidArchive(path);
        // The archive now holds the source; keep a reference of our own to read
        // the written archive back after zip_close.
        zip_source_keep(source.get());
        m_source = std::move(source);
    }

    zip_t* get() const { return m_archive.get(); }

    // Writes the changes and returns the whole new archive.
    std::vector<std::uint8_t> Close(const std::string& path)
    {
        if (zip_close(m_archive.get()) != 0)
            throw EInvalidArchive(path);  // an old member could not be copied
        m_archive.release();  // zip_close freed it

        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_source_stat(m_source.get(), &stat) != 0 || zip_source_open(m_source.get()) != 0)
            throw EWriteError(path);
        std::vector<std::uint8_t> bytes(stat.size);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const zip_int64_t got = zip_source_read(m_source.get(), bytes.data() + done, bytes.size() - done);
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        zip_source_close(m_source.get());
        if (done != bytes.size())
            throw EWriteError(path);
        return bytes;
    }

private:
    SourcePtr m_source;
    ArchivePtr m_archive;
};

// The BMP file of the member: always the 24-bit layout, whatever the bitmap holds.
std::vector<std::uint8_t> BitmapFileBytes(const TDIB& bitmap)
{
    std::vector<std::uint8_t> bytes;
    if (!bitmap.IsIndexed()) {
        bitmap.SaveBitmapStream(bytes);
        return bytes;
    }
    TDIB truecolour;
    truecolour.SetSize24(bitmap.Width(), bitmap.Height());
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* pixel = truecolour.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, pixel += 3) {
            const std::uint32_t colour = bitmap.PixelColour(x, y);  // 0x00BBGGRR
            pixel[0] = static_cast<std::uint8_t>(colour >> 16);
            pixel[1] = static_cast<std::uint8_t>(colour >> 8);
            pixel[2] = static_cast<std::uint8_t>(colour);
        }
    }
    truecolour.SaveBitmapStream(bytes);
    return bytes;
}

// The archive with `member` as the only "couleur.bmp", compressed by `method`.
std::vector<std::uint8_t> WriteMember(std::span<const std::uint8_t> existingArchive,
                                      const std::vector<std::uint8_t>& member, zip_int32_t method,
                                      const std::string& path)
{
    MemoryArchive archive(existingArchive, ZIP_CREATE, path);
    zip_t* zip = archive.get();

    // Delete and add rather than ZIP_FL_OVERWRITE, which loses the compression
    // level of a replaced member; delete duplicates too, so one member remains.
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        const char* name = zip_get_name(zip, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW);
        if (name != nullptr && std::strcmp(name, kMemberName) == 0)
            zip_delete(zip, static_cast<zip_uint64_t>(index));
    }

    zip_source_t* data = zip_source_buffer(zip, member.data(), member.size(), 0);
    if (data == nullptr)
        throw std::bad_alloc();
    const zip_int64_t index = zip_file_add(zip, kMemberName, data, 0);
    if (index < 0) {
        zip_source_free(data);
        throw EInvalidArchive(path);
    }
    // Level 1 is what makes libzip record the fast option (flag 4) in the headers.
    const zip_uint32_t level = method == ZIP_CM_DEFLATE ? 1 : 0;
    if (zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), method, level) != 0)
        throw EInvalidArchive(path);
    return archive.Close(path);
}

std::uint64_t CompressedMemberSize(std::span<const std::uint8_t> archiveBytes, const std::string& path)
{
    MemoryArchive archive(archiveBytes, ZIP_RDONLY, path);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive.get(), kMemberName, 0, &stat) != 0 || (stat.valid & ZIP_STAT_COMP_SIZE) == 0)
        throw EInvalidArchive(path);
    return stat.comp_size;
}

// The member's bytes; empty when the archive has no such member.
std::vector<std::uint8_t> ExtractMember(zip_t* zip, const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    const zip_int64_t index = zip_name_locate(zip, kMemberName, 0);
    if (index < 0)
        return bytes;

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        throw EInvalidArchive(path);
    if ((stat.valid & ZIP_STAT_SIZE) != 0) {
        if (stat.size > kMaxMemberSize)
            throw EInvalidArchive(path);
        bytes.reserve(stat.size);
    }

    FilePtr file(zip_fopen_index(zip, static_cast<zip_uint64_t>(index), 0));
    if (!file)
        throw EInvalidArchive(path);
    std::uint8_t chunk[65536];
    for (;;) {
        // libzip checks the CRC when the end is reached and fails the read on a mismatch.
        const zip_int64_t got = zip_fread(file.get(), chunk, sizeof chunk);
        if (got < 0 || bytes.size() + static_cast<std::uint64_t>(got) > kMaxMemberSize)
            throw EInvalidArchive(path);
        if (got == 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return bytes;
}

}  // namespace

EInvalidArchive::EInvalidArchive(const std::string& path)
    : EVorlaneError(FormatMessage("Le fichier %s n'est pas une archive ZIP lisible", path))
{
}

EInvalidBitmap::EInvalidBitmap() : EVorlaneError("Image bitmap incorrecte") {}

std::vector<std::uint8_t> MakeBitmapArchive(const TDIB& bitmap, std::span<const std::uint8_t> existingArchive,
                                            const std::string& path)
{
    const std::vector<std::uint8_t> member = BitmapFileBytes(bitmap);
    std::vector<std::uint8_t> archive = WriteMember(existingArchive, member, ZIP_CM_DEFLATE, path);
    // libzip never falls back to storing by itself. Deflating a second time only
    // happens for pictures of noise, never for a child's drawing.
    if (CompressedMemberSize(archive, path) > member.size())
        archive = WriteMember(existingArchive, member, ZIP_CM_STORE, path);
    return archive;
}

void ReadBitmapArchive(std::span<const std::uint8_t> archive, const std::string& path, TDIB& image)
{
    const MemoryArchive zip(archive, ZIP_RDONLY, path);
    const std::vector<std::uint8_t> member = ExtractMember(zip.get(), path);
    if (member.empty()) {
        image.Clear();
        return;
    }
    if (member.size() < 2 || member[0] != 'B' || member[1] != 'M')
        throw EInvalidBitmap();
    image.LoadBitmapBytes(member);
}

void ZipBitmap(const TDIB& bitmap, const std::string& path)
{
    std::vector<std::uint8_t> existing;
    std::error_code ignored;
    if (std::filesystem::exists(path, ignored) && !ReadWholeFile(path, existing))
        throw EFOpenError(path);
    ReplaceFileAtomically(path, MakeBitmapArchive(bitmap, existing, path));
}

void UnzipBitmap(const std::string& path, TDIB& image)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        throw EFOpenError(path);
    ReadBitmapArchive(bytes, path, image);
}

}  // namespace vorlane
