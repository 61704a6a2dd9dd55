#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace vorlane {

// Little-endian reads over bytes from outside the program. Every read is
// checked against the end; running past it raises `Error` (the format's own
// "is invalid" error), so a lying size can never reach memory it does not own.
template <typename Error>
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t Size() const { return m_bytes.size(); }
    std::size_t Position() const { return m_position; }
    std::size_t Remaining() const { return m_bytes.size() - m_position; }

    void Seek(std::uint64_t position)
    {
        Require(position <= m_bytes.size());
        m_position = static_cast<std::size_t>(position);
    }
    void Skip(std::uint64_t count)
    {
        Require(count <= Remaining());
        m_position += static_cast<std::size_t>(count);
    }

    std::uint8_t U8() { return Take(1)[0]; }
    std::uint16_t U16()
    {
        const auto b = Take(2);
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::uint32_t U32()
    {
        const auto b = Take(4);
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

    // True, and consumed, when the next four bytes are `tag` ("RIFF", "fmt "...).
    bool Tag(const char (&tag)[5])
    {
        const auto b = Take(4);
        return std::memcmp(b.data(), tag, 4) == 0;
    }

    // The next `count` bytes, consumed.
    std::span<const std::uint8_t> Take(std::uint64_t count)
    {
        Require(count <= Remaining());
        const auto result = m_bytes.subspan(m_position, static_cast<std::size_t>(count));
        m_position += static_cast<std::size_t>(count);
        return result;
    }

    // Raises the format's error unless `condition` holds: every rejection is one explicit check.
    static void Require(bool condition)
    {
        if (!condition)
            throw Error();
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

}  // namespace vorlane
