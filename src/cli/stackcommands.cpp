// `dravik-cli list --overlay` and `diff`: several sources as the game sees
// them, and what changed between two.
#include "archive/datarchive.h"
#include "archive/entrypaths.h"
#include "archive/extract.h"
#include "archive/sourcediff.h"
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

int DiffSources(const std::string& oldPath, const std::string& newPath, bool json)
{
    // One stack: the old side's source first, the new side's over it.
    CSourceStack stack;
    bool failed = !AddSourceOrReport(stack, oldPath, true);
    const std::size_t firstNew = stack.SourceCount();
    failed = !AddSourceOrReport(stack, newPath, true) || failed;
    if (firstNew == 0 || stack.SourceCount() != 2)
        return kExitFailure;
    stack.Merge();
    CSourceDiff diff(stack, firstNew);
    // A row names the entry as the new side stores it (the old side's when removed).
    std::vector<std::string_view> names(stack.Count());
    std::vector<std::uint32_t> order(stack.Count());
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        const std::optional<SEntryCopy> copy = diff.NewCopy(i);
        order[i] = i;
        names[i] = stack.EntryOf(copy ? *copy : *diff.OldCopy(i)).m_name;
    }
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t x, std::uint32_t y) { return CompareEntryNames(names[x], names[y]) < 0; });

    CChunkedOutput output;
    std::string& out = output.Text();
    if (json)
        out += '[';
    std::string decoded;
    bool differs = false;
    const auto complain = [&](std::size_t i, const std::string& cause) {
        ReportError(cause + "; entry '" + DecodeToUtf8(stack.EntryOf(*diff.OldCopy(i)).m_name) + "' was not compared");
    };
    for (std::uint32_t i : order) {
        const EEntryChange v = diff.Compare(i, complain);
        failed = failed || v == EEntryChange::kDamaged;
        const char change = v == EEntryChange::kAdded ? 'A' : v == EEntryChange::kRemoved ? 'D'
                          : v == EEntryChange::kChanged ? 'M' : 0;
        if (!change)
            continue;
        const std::string_view path = StoredPathText(names[i], decoded);
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
    }
    if (json)
        out += differs ? "\n]\n" : "]\n";
    return Finish(output, failed ? kExitFailure : differs ? 1 : kExitOk);
}
