#pragma once
// A bounds-checked cursor over bytes: every read says whether the bytes were
// there, so parsers never index past what they hold.
#include <cstddef>
#include <cstdint>
#include <string_view>

class CByteReader
{
public:
    explicit CByteReader(std::string_view bytes, std::size_t at = 0) : m_bytes(bytes), m_at(at) {}

    std::size_t Position() const { return m_at; }
    std::size_t Remaining() const { return m_at <= m_bytes.size() ? m_bytes.size() - m_at : 0; }
    bool Seek(std::size_t at)
    {
        if (at > m_bytes.size())
            return false;
        m_at = at;
        return true;
    }
    bool BE16(std::uint16_t& out) { return Take(2, [&](const std::uint8_t* p) { out = std::uint16_t(p[0] << 8 | p[1]); }); }
    bool BE32(std::uint32_t& out)
    {
        return Take(4, [&](const std::uint8_t* p) {
            out = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
        });
    }
    bool BE16s(std::int16_t& out)
    {
        std::uint16_t v;
        if (!BE16(v))
            return false;
        out = std::int16_t(v);
        return true;
    }
    // Up to n bytes; fewer at the end of the data.
    std::string_view Bytes(std::size_t n)
    {
        const std::size_t k = n < Remaining() ? n : Remaining();
        std::string_view out = m_bytes.substr(m_at < m_bytes.size() ? m_at : m_bytes.size(), k);
        m_at += k;
        return out;
    }

private:
    template <class F>
    bool Take(std::size_t n, F&& read)
    {
        if (Remaining() < n)
            return false;
        read(reinterpret_cast<const std::uint8_t*>(m_bytes.data() + m_at));
        m_at += n;
        return true;
    }

    std::string_view m_bytes;
    std::size_t m_at;
};
