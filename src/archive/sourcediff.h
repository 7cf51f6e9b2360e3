#pragma once
// What changed between two sides read as one stack: the sources before
// firstNew are the old side, the rest the new one, so each merged entry holds
// the copy each side reads. Entries whose stored bytes are the same are never
// inflated; entries that differ only in compression count as the same.
#include "archive/sourcestack.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class EEntryChange : std::uint8_t { kSame, kAdded, kRemoved, kChanged, kDamaged };

// The copy of merged entry i the old side (sources before firstNew) or the
// new side reads, if that side has one.
std::optional<SEntryCopy> SideCopy(const CSourceStack& stack, std::size_t i, std::size_t firstNew, bool newSide);

class CSourceDiff
{
public:
    CSourceDiff(const CSourceStack& stack, std::size_t firstNew);
    ~CSourceDiff();

    // The copy a side reads of merged entry i, if it has one.
    std::optional<SEntryCopy> OldCopy(std::size_t i) const { return SideCopy(m_stack, i, m_nFirstNew, false); }
    std::optional<SEntryCopy> NewCopy(std::size_t i) const { return SideCopy(m_stack, i, m_nFirstNew, true); }

    // Why an entry could not be compared, naming the file.
    using Complaint = std::function<void(std::size_t entry, const std::string& cause)>;
    EEntryChange Compare(std::size_t i, const Complaint& complain);
    // Every merged entry in turn; progress(done) false stops early (the rest
    // stay kSame) and CompareAll returns nothing.
    std::optional<std::vector<EEntryChange>> CompareAll(const Complaint& complain,
                                                        const std::function<bool(std::size_t)>& progress);

private:
    bool SameStoredBytes(CFile& a, const CStackSource::SEntry& ea, CFile& b, const CStackSource::SEntry& eb);
    EEntryChange SameContents(std::size_t i, CFile& a, const CStackSource::SEntry& ea, CFile& b,
                              const CStackSource::SEntry& eb, const Complaint& complain);

    const CSourceStack& m_stack;
    std::size_t m_nFirstNew;
    std::unique_ptr<unsigned char[]> m_a, m_b;
    std::string m_old;
};

// A comparison as the window keeps it: each merged entry's change, and the
// folders where something below changed (by folder id).
struct SComparison
{
    std::size_t m_nFirstNew = 0;
    std::vector<EEntryChange> m_changes;
    std::vector<bool> m_changedFolders;
    bool m_bShowUnchanged = false;
};
