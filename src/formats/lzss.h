#pragma once
// The first game's LZSS: a 4 KiB ring of spaces written from 0xFEE, flag bits
// from the lowest, literals and 12-bit-position matches of 3 to 18 bytes.
// Entries hold either one stream or a series of blocks behind big-endian
// 16-bit headers (top bit: stored block; otherwise an LZSS block of that many
// bytes with a fresh ring), read until the real size is there. Damage is
// anything but exactly the expected size.
#include <cstddef>
#include <cstdint>

enum class ELzssFraming : std::uint8_t {
    kBlocks, // 16-bit block headers
    kStream, // one stream, as long as the packed bytes
};

enum class ELzssStatus {
    kMore,    // give more input or more output room
    kDone,    // exactly the real size produced (a stream: from every packed byte)
    kDamaged, // ends early or short, a zero block header, a match into unwritten ring bytes
    kTooLong, // would produce more than the real size
};

// Inflates in pieces: fill the in and out fields, call Run, repeat. Input
// may end anywhere, even inside a block header or a match; the state waits.
class CLzssInflater
{
public:
    CLzssInflater(ELzssFraming framing, std::uint64_t realSize);

    // finalInput: the bytes at m_pIn are the last of the entry.
    ELzssStatus Run(bool finalInput);
    std::uint64_t Produced() const { return m_nProduced; }

    const unsigned char* m_pIn = nullptr;
    std::size_t m_nAvailIn = 0;
    unsigned char* m_pOut = nullptr;
    std::size_t m_nAvailOut = 0;

private:
    enum class EState : std::uint8_t { kHeader, kStored, kFlags, kToken, kMatchSecond, kCopy };
    void ResetRing();
    ELzssStatus AtInputEnd() const;

    ELzssFraming m_framing;
    EState m_state;
    std::uint64_t m_nReal;
    std::uint64_t m_nProduced = 0;
    std::uint64_t m_nBlockLeft;   // input bytes left in the current block
    std::uint32_t m_nHeader = 0;  // a block header read so far
    std::uint32_t m_nHeaderHave = 0;
    std::uint32_t m_nFlags = 1;   // remaining flag bits above a marker bit; 1: none left
    std::uint32_t m_nW = 0;       // ring write position
    std::uint32_t m_nFresh = 0;   // ring bytes written since the reset, counted up to 18
    std::uint32_t m_nMatchFirst = 0;
    std::uint32_t m_nMatchPos = 0;
    std::uint32_t m_nMatchLeft = 0;
    unsigned char m_ring[4096];
};

// A whole entry in memory into dest (realSize bytes). Returns kDone or the
// damage found; *produced (if given) says how many bytes came out before it.
ELzssStatus LzssInflate(ELzssFraming framing, const unsigned char* src, std::size_t packedSize, unsigned char* dest,
                        std::size_t realSize, std::size_t* produced = nullptr);
