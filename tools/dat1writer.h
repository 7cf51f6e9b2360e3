#pragma once
// Writes first-game DAT archives (big-endian directory at the start, entries
// stored or LZSS-packed) for tests, benchmarks and fuzz seeds. As with the
// DAT writer, every field the loader reads can be overridden.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class EDat1Storage { kStored, kBlocks, kStream };

struct SDat1EntryDef
{
    SDat1EntryDef() = default;
    SDat1EntryDef(std::string inFolder, std::string inName, std::string inData,
                  EDat1Storage inStorage = EDat1Storage::kBlocks)
        : folder(std::move(inFolder)), name(std::move(inName)), data(std::move(inData)), storage(inStorage)
    {
    }

    std::string folder = "."; // as stored: "ART\\CRITTERS", "." for the root
    std::string name;
    std::string data;
    EDat1Storage storage = EDat1Storage::kBlocks;
    std::size_t blockSize = 16384; // real bytes per block
    // Blocks that do not shrink go stored; with storeAll every block does.
    bool storeAll = false;
    std::optional<std::uint32_t> attributes, offset, realSize, packedSize;
    std::optional<std::string> packedBytes; // written instead of the packed data
    std::optional<std::uint8_t> nameLength;
};

struct SDat1Options
{
    std::optional<std::uint32_t> folderCount;     // written instead of the real count
    std::optional<std::uint32_t> folderValueSize; // header word 3 (0)
    std::optional<std::uint32_t> fileValueSize;   // each folder's word 3 (16)
    std::uint32_t capacity = 1; // every capacity field; the engine's own archives hold more than the counts
    bool storedPackedZero = true; // stored entries' packed field is 0, as in the game's archives
    std::size_t truncateTo = SIZE_MAX;
};

class CDat1Writer
{
public:
    void Add(SDat1EntryDef e);
    void AddStored(std::string folder, std::string name, std::string data);
    // Folders come out in the order first added; entries keep their order within one.
    std::string Build(const SDat1Options& opt = {}) const;
    void WriteTo(const std::string& path, const SDat1Options& opt = {}) const;
    // The bytes entry i puts in the data region.
    const std::string& PackedBytes(std::size_t i) const;

private:
    struct SItem
    {
        SDat1EntryDef def;
        std::string packed;
    };
    std::vector<SItem> m_items;
};

// One LZSS stream (no block headers); greedy, matches reach into the ring's initial spaces.
std::string LzssCompress(std::string_view data);
// Block-framed: each blockSize piece an LZSS block, or stored when it does not shrink or storeAll.
std::string LzssBlocks(std::string_view data, std::size_t blockSize = 16384, bool storeAll = false);
