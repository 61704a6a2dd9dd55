#include "print/zipUnzip.h"

#include "base/AtomicFile.h"
#include "display/TDIB.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <zip.h>
#include <zlib.h>

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
        if (source)
            m_archive.reset(zip_open_from_source(source.get(), flags, &error));
        zip_error_fini(&error);
        if (!source)
            throw std::bad_alloc();
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

// Deflates at zlib's fastest level, the "fast" option of the ZIP format.
std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> input)
{
    z_stream stream{};
    if (deflateInit2(&stream, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::bad_alloc();
    const std::size_t bound = deflateBound(&stream, static_cast<uLong>(input.size()));
    // Not zero-filled: only the pages deflate writes get touched.
    const auto output = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = output.get();
    stream.avail_out = static_cast<uInt>(bound);
    const int result = deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::bad_alloc();
    return std::vector<std::uint8_t>(output.get(), output.get() + stream.total_out);
}

// A libzip source of data deflated beforehand: libzip copies it as it is, so the
// picture is compressed once, and its size is known before choosing the method.
class DeflatedMember {
public:
    DeflatedMember(std::span<const std::uint8_t> original, std::vector<std::uint8_t> deflated)
        : m_deflated(std::move(deflated)),
          m_size(original.size()),
          m_crc(static_cast<std::uint32_t>(crc32_z(0, original.data(), original.size())))
    {
        zip_error_init(&m_error);
    }
    DeflatedMember(const DeflatedMember&) = delete;
    DeflatedMember& operator=(const DeflatedMember&) = delete;
    ~DeflatedMember() { zip_error_fini(&m_error); }

    zip_source_t* Source(zip_t* zip) { return zip_source_function(zip, &DeflatedMember::Callback, this); }

private:
    static zip_int64_t Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        return static_cast<DeflatedMember*>(self)->Handle(data, length, command);
    }

    zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            m_position = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const std::size_t count = std::min<std::size_t>(length, m_deflated.size() - m_position);
            std::memcpy(data, m_deflated.data() + m_position, count);
            m_position += count;
            return static_cast<zip_int64_t>(count);
        }
        case ZIP_SOURCE_STAT: {
            if (length < sizeof(zip_stat_t))
                break;
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
            stat->size = m_size;
            stat->comp_size = m_deflated.size();
            stat->comp_method = ZIP_CM_DEFLATE;
            stat->crc = m_crc;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
            if (length < sizeof(zip_file_attributes_t))
                break;
            // Bits 1 and 2 give the deflate option, 4 alone is "fast". libzip
            // writes 0 there for data it did not deflate itself.
            auto* attributes = static_cast<zip_file_attributes_t*>(data);
            attributes->valid |= ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
            attributes->general_purpose_bit_flags = 4;
            attributes->general_purpose_bit_mask = 6;
            return 0;
        }
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_GET_FILE_ATTRIBUTES, -1);
        default:
            break;
        }
        zip_error_set(&m_error, ZIP_ER_INVAL, 0);
        return -1;
    }

    std::vector<std::uint8_t> m_deflated;
    std::uint64_t m_size;
    std::uint32_t m_crc;
    std::size_t m_position = 0;
    zip_error_t m_error;
};

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

EInvalidBitmap::EInvalidBitmap() : EVorlaneError("Image bitmap incorrecte") {}

std::vector<std::uint8_t> MakeBitmapArchive(const TDIB& bitmap, std::span<const std::uint8_t> existingArchive,
                                            const std::string& path)
{
    const std::vector<std::uint8_t> bmp = BitmapFileBytes(bitmap);
    // libzip never falls back to storing by itself: a picture of noise would grow.
    std::vector<std::uint8_t> deflated = Deflate(bmp);
    const bool store = deflated.size() > bmp.size();
    DeflatedMember member(bmp, std::move(deflated));  // outlives the archive, which reads it

    MemoryArchive archive(existingArchive, ZIP_CREATE, path);
    zip_t* zip = archive.get();

    // Delete and add rather than ZIP_FL_OVERWRITE, which loses the compression
    // option of a replaced member; delete duplicates too, so one member remains.
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        const char* name = zip_get_name(zip, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW);
        if (name != nullptr && std::strcmp(name, kMemberName) == 0)
            zip_delete(zip, static_cast<zip_uint64_t>(index));
    }

    zip_source_t* data = store ? zip_source_buffer(zip, bmp.data(), bmp.size(), 0) : member.Source(zip);
    if (data == nullptr)
        throw std::bad_alloc();
    const zip_int64_t index = zip_file_add(zip, kMemberName, data, 0);
    if (index < 0) {
        zip_source_free(data);
        throw EInvalidArchive(path);
    }
    if (store && zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) != 0)
        throw EInvalidArchive(path);
    return archive.Close(path);
}

void ReadBitmapArchive(std::span<const std::uint8_t> archive, const std::string& path, TDIB& image)
{
    // libzip opens 0 bytes as an empty archive; no program writes one, so it is
    // a broken file, not a picture without its member.
    if (archive.empty())
        throw EInvalidArchive(path);
    const MemoryArchive zip(archive, ZIP_RDONLY, path);
    const std::vector<std::uint8_t> member = ExtractMember(zip.get(), path);
    if (member.empty()) {
        image.Clear();
        return;
    }
    if (member.size() < 2 || member[0] != 'B' || member[1] != 'M')
        throw EInvalidBitmap();
    try {
        image.LoadBitmapBytes(member);
    } catch (const EInvalidGraphic&) {
        throw EInvalidBitmap();  // the print manager's own message for a damaged picture
    }
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
