#include "archive/sourcediff.h"

#include "archive/extract.h"
#include "platform/exceptions.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kChunk = 1 << 20;
}

CSourceDiff::CSourceDiff(const CSourceStack& stack, std::size_t firstNew)
    : m_stack(stack), m_nFirstNew(firstNew), m_a(new unsigned char[kChunk]), m_b(new unsigned char[kChunk])
{
}

CSourceDiff::~CSourceDiff() = default;

std::optional<SEntryCopy> SideCopy(const CSourceStack& stack, std::size_t i, std::size_t firstNew, bool newSide)
{
    // Copies come latest first: the first of a side's sources is the one it reads.
    for (const SEntryCopy& c : stack.Copies(i))
        if ((c.m_nSource >= firstNew) == newSide)
            return c;
    return std::nullopt;
}

EEntryChange CSourceDiff::Compare(std::size_t i, const Complaint& complain)
{
    const std::optional<SEntryCopy> oc = OldCopy(i), nc = NewCopy(i);
    if (!oc || !nc)
        return oc ? EEntryChange::kRemoved : EEntryChange::kAdded;
    const CStackSource::SEntry o = m_stack.EntryOf(*oc), n = m_stack.EntryOf(*nc);
    try {
        CCopyFile oldFile = m_stack.Open(*oc), newFile = m_stack.Open(*nc);
        if (o.m_nRealSize == n.m_nRealSize && o.m_nPackedSize == n.m_nPackedSize &&
            SameStoredBytes(*oldFile, o, *newFile, n))
            return EEntryChange::kSame;
        // Whole entries of other sizes cannot hold the same bytes.
        if (o.m_nRealSize != n.m_nRealSize)
            return EEntryChange::kChanged;
        return SameContents(i, *oldFile, o, *newFile, n, complain);
    } catch (const std::exception& e) {
        complain(i, DescribeException(e));
        return EEntryChange::kDamaged;
    }
}

std::optional<std::vector<EEntryChange>> CSourceDiff::CompareAll(const Complaint& complain,
                                                                 const std::function<bool(std::size_t)>& progress)
{
    std::vector<EEntryChange> changes(m_stack.Count(), EEntryChange::kSame);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (progress && !progress(i))
            return std::nullopt;
        changes[i] = Compare(i, complain);
    }
    return changes;
}

bool CSourceDiff::SameStoredBytes(CFile& a, const CStackSource::SEntry& ea, CFile& b, const CStackSource::SEntry& eb)
{
    for (std::uint64_t done = 0; done < ea.m_nPackedSize;) {
        const std::size_t want = std::size_t(std::min<std::uint64_t>(kChunk, ea.m_nPackedSize - done));
        const std::size_t na = a.ReadAt(ea.m_nOffset + done, m_a.get(), want);
        const std::size_t nb = b.ReadAt(eb.m_nOffset + done, m_b.get(), want);
        if (na != want || nb != want) // short on one side: damage is found by inflating
            return false;
        if (std::memcmp(m_a.get(), m_b.get(), want) != 0)
            return false;
        done += want;
    }
    return true;
}

// Inflated a chunk at a time: the old side into memory (as much as really
// comes out), the new side compared against it as it comes.
EEntryChange CSourceDiff::SameContents(std::size_t i, CFile& a, const CStackSource::SEntry& ea, CFile& b,
                                       const CStackSource::SEntry& eb, const Complaint& complain)
{
    auto damaged = [&](CFile& file, int status) {
        complain(i, file.GetFilePath() + ": the entry is damaged (" + ZlibStatusText(status) + ")");
        return EEntryChange::kDamaged;
    };
    m_old.clear();
    int status = StreamEntryData(a, CSourceStack::Record(ea),
                                 [&](const unsigned char* p, std::size_t n) { m_old.append(p, p + n); });
    if (status != 0)
        return damaged(a, status);
    std::size_t at = 0;
    bool same = true;
    status = StreamEntryData(b, CSourceStack::Record(eb), [&](const unsigned char* p, std::size_t n) {
        same = same && n <= m_old.size() - at && std::memcmp(m_old.data() + at, p, n) == 0;
        at += n;
    });
    if (status != 0)
        return damaged(b, status);
    return same && at == m_old.size() ? EEntryChange::kSame : EEntryChange::kChanged;
}
