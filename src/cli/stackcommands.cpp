// `dravik-cli list --overlay` and `diff`: several sources as the game sees
// them, and what changed between two.
#include "archive/datarchive.h"
#include "archive/entrypaths.h"
#include "archive/extract.h"
#include "archive/sourcestack.h"
#include "cli/commands.h"
#include "cli/glob.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace {

// Output gathered and written in large pieces.
class CChunkedOutput
{
public:
    std::string& Text() { return m_text; }
    void MaybeWrite()
    {
        if (m_text.size() >= (1u << 20))
            Write();
    }
    bool Finish()
    {
        Write();
        return !m_bFailed && std::fflush(stdout) == 0 && !std::ferror(stdout);
    }

private:
    void Write()
    {
        if (!m_text.empty() && std::fwrite(m_text.data(), 1, m_text.size(), stdout) != m_text.size())
            m_bFailed = true;
        m_text.clear();
    }
    std::string m_text;
    bool m_bFailed = false;
};

int Finish(CChunkedOutput& output, int status)
{
    if (output.Finish())
        return status;
    ReportError(std::string("standard output: ") + std::strerror(errno ? errno : EIO));
    return kExitFailure;
}

void AppendNumber(std::string& out, std::uint64_t value)
{
    char buf[24];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}

// One line (or JSON object) of the merged listing.
void AppendCopy(std::string& out, bool json, bool first, std::string_view path, const CStackSource::SEntry& e,
                bool loose, const std::string& type, const std::string& source, int wins)
{
    if (json) {
        out += first ? "\n  {\"path\": " : ",\n  {\"path\": ";
        AppendJsonString(out, path);
        out += ", \"size\": ";
        AppendNumber(out, e.m_nRealSize);
        out += ", \"packed\": ";
        AppendNumber(out, e.m_nPackedSize);
        out += ", \"offset\": ";
        if (loose)
            out += "null";
        else
            AppendNumber(out, e.m_nOffset);
        out += ", \"type\": ";
        AppendJsonString(out, type);
        out += ", \"source\": ";
        AppendJsonString(out, source);
        if (wins >= 0)
            out += wins ? ", \"wins\": true" : ", \"wins\": false";
        out += '}';
        return;
    }
    out += path;
    for (std::uint32_t v : {e.m_nRealSize, e.m_nPackedSize}) {
        out += '\t';
        AppendNumber(out, v);
    }
    out += '\t';
    if (!loose) // a loose file has no offset
        AppendNumber(out, e.m_nOffset);
    out += '\t';
    out += type;
    out += '\t';
    out += source;
    out += '\n';
}

bool AddSourceOrReport(CSourceStack& stack, const std::string& path, bool skippedAreErrors)
{
    std::vector<std::string> skipped;
    try {
        stack.Add(path, path, skipped);
    } catch (const std::exception& e) {
        std::string text = DescribeException(e);
        if (text.compare(0, path.size(), path) != 0 || path.empty())
            text = path + ": " + text;
        ReportError(text);
        return false;
    }
    for (const std::string& s : skipped)
        ReportError((skippedAreErrors ? "" : "warning: ") + s);
    return skipped.empty() || !skippedAreErrors;
}

} // namespace

bool BuildStackOrReport(CSourceStack& stack, const std::vector<std::string>& sources, CDATArchive& merged,
                        CStoredNames* names)
{
    for (const std::string& path : sources)
        if (!AddSourceOrReport(stack, path, false))
            return false;
    try {
        stack.Build(merged, names);
    } catch (const std::exception& e) {
        ReportError(DescribeException(e));
        return false;
    }
    return true;
}

int ListStack(const std::vector<std::string>& sources, bool json, bool allCopies,
              const std::vector<std::string>& patterns)
{
    CSourceStack stack;
    CDATArchive merged;
    if (!BuildStackOrReport(stack, sources, merged, nullptr))
        return kExitFailure;
    std::unordered_map<const CDATFileType*, std::string> types;
    CChunkedOutput output;
    std::string& out = output.Text();
    if (json)
        out += '[';
    std::string decoded;
    bool first = true;
    CGlobSet globs(patterns);
    for (std::size_t i = 0; i < stack.Count(); ++i) {
        if (!patterns.empty()) {
            const CStackSource& winner = stack.Source(stack.Copies(i)[0].m_nSource);
            if (!globs.Admits(StoredPathText(winner.Entry(stack.Copies(i)[0].m_nIndex).m_name, decoded)))
                continue;
        }
        const CDATFileType* type = merged.m_files[i].m_pType;
        auto t = types.find(type);
        if (t == types.end())
            t = types.emplace(type, DecodeToUtf8(type->m_strDescription)).first;
        const auto copies = stack.Copies(i);
        for (std::size_t c = 0; c < (allCopies ? copies.size() : 1); ++c) {
            const CStackSource& source = stack.Source(copies[c].m_nSource);
            const CStackSource::SEntry e = source.Entry(copies[c].m_nIndex);
            AppendCopy(out, json, first, StoredPathText(e.m_name, decoded), e,
                       source.Kind() == CStackSource::EKind::kFolder, t->second, source.Label(),
                       allCopies ? int(c == 0) : -1);
            first = false;
        }
        output.MaybeWrite();
    }
    if (json)
        out += first ? "]\n" : "\n]\n";
    const int status = Finish(output, kExitOk);
    globs.WarnUnmatched("entry");
    return status;
}

// ---------------------------------------------------------------- diff

namespace {

enum class EVerdict { kSame, kChanged, kDamaged };

// Compares one entry's copies on the two sides.
class CEntryComparer
{
public:
    CEntryComparer() : m_a(new unsigned char[kChunk]), m_b(new unsigned char[kChunk]) {}

    EVerdict Compare(const CSourceStack& oldSide, std::size_t oldEntry, const CSourceStack& newSide,
                     std::size_t newEntry)
    {
        const SEntryCopy& oc = oldSide.Winner(oldEntry);
        const SEntryCopy& nc = newSide.Winner(newEntry);
        const CStackSource::SEntry o = oldSide.EntryOf(oc), n = newSide.EntryOf(nc);
        try {
            CCopyFile oldFile = oldSide.Open(oc), newFile = newSide.Open(nc);
            if (o.m_nRealSize == n.m_nRealSize && o.m_nPackedSize == n.m_nPackedSize &&
                SameStoredBytes(*oldFile, o, *newFile, n))
                return EVerdict::kSame;
            // Whole entries of other sizes cannot hold the same bytes.
            if (o.m_nRealSize != n.m_nRealSize)
                return EVerdict::kChanged;
            return SameContents(*oldFile, o, *newFile, n);
        } catch (const std::exception& e) {
            Complain(DescribeException(e), o.m_name);
            return EVerdict::kDamaged;
        }
    }

private:
    static constexpr std::size_t kChunk = 1 << 20;

    bool SameStoredBytes(CFile& a, const CStackSource::SEntry& ea, CFile& b, const CStackSource::SEntry& eb)
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
    EVerdict SameContents(CFile& a, const CStackSource::SEntry& ea, CFile& b, const CStackSource::SEntry& eb)
    {
        m_old.clear();
        int status = StreamEntryData(a, CSourceStack::Record(ea),
                                     [&](const unsigned char* p, std::size_t n) { m_old.append(p, p + n); });
        if (status != 0)
            return Damaged(a, ea, status);
        std::size_t at = 0;
        bool same = true;
        status = StreamEntryData(b, CSourceStack::Record(eb), [&](const unsigned char* p, std::size_t n) {
            same = same && n <= m_old.size() - at && std::memcmp(m_old.data() + at, p, n) == 0;
            at += n;
        });
        if (status != 0)
            return Damaged(b, eb, status);
        return same && at == m_old.size() ? EVerdict::kSame : EVerdict::kChanged;
    }

    EVerdict Damaged(CFile& file, const CStackSource::SEntry& e, int status)
    {
        Complain(file.GetFilePath() + ": the entry is damaged (" + ZlibStatusText(status) + ")", e.m_name);
        return EVerdict::kDamaged;
    }

    static void Complain(const std::string& what, std::string_view name)
    {
        ReportError(what + "; entry '" + DecodeToUtf8(name) + "' was not compared");
    }

    std::unique_ptr<unsigned char[]> m_a, m_b;
    std::string m_old;
};

// The merged entries of a side, in diff order.
std::vector<std::uint32_t> SortedEntries(const CSourceStack& side)
{
    std::vector<std::uint32_t> order(side.Count());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        return CompareEntryNames(side.EntryOf(side.Winner(x)).m_name, side.EntryOf(side.Winner(y)).m_name) < 0;
    });
    return order;
}

} // namespace

int DiffSources(const std::string& oldPath, const std::string& newPath, bool json)
{
    CSourceStack oldSide, newSide;
    bool failed = !AddSourceOrReport(oldSide, oldPath, true);
    failed = !AddSourceOrReport(newSide, newPath, true) || failed;
    if (oldSide.SourceCount() == 0 || newSide.SourceCount() == 0)
        return kExitFailure;
    oldSide.Merge();
    newSide.Merge();
    const std::vector<std::uint32_t> olds = SortedEntries(oldSide), news = SortedEntries(newSide);

    CEntryComparer comparer;
    CChunkedOutput output;
    std::string& out = output.Text();
    if (json)
        out += '[';
    std::string decoded;
    bool differs = false;
    auto report = [&](char change, const CSourceStack& side, std::uint32_t entry) {
        const std::string_view path = StoredPathText(side.EntryOf(side.Winner(entry)).m_name, decoded);
        if (json) {
            out += differs ? ",\n  {\"change\": \"" : "\n  {\"change\": \"";
            out += change;
            out += "\", \"path\": ";
            AppendJsonString(out, path);
            out += '}';
        } else {
            out += change;
            out += '\t';
            out += path;
            out += '\n';
        }
        differs = true;
        output.MaybeWrite();
    };
    std::size_t i = 0, j = 0;
    while (i < olds.size() || j < news.size()) {
        int order = i == olds.size() ? 1 : j == news.size() ? -1 : 0;
        if (order == 0)
            order = CompareEntryNames(oldSide.EntryOf(oldSide.Winner(olds[i])).m_name,
                                      newSide.EntryOf(newSide.Winner(news[j])).m_name);
        if (order < 0) {
            report('D', oldSide, olds[i++]);
        } else if (order > 0) {
            report('A', newSide, news[j++]);
        } else {
            const EVerdict v = comparer.Compare(oldSide, olds[i], newSide, news[j]);
            if (v == EVerdict::kChanged)
                report('M', newSide, news[j]);
            failed = failed || v == EVerdict::kDamaged;
            ++i;
            ++j;
        }
    }
    if (json)
        out += differs ? "\n]\n" : "]\n";
    return Finish(output, failed ? kExitFailure : differs ? 1 : kExitOk);
}
