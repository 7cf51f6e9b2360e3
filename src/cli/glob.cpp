#include "cli/glob.h"

#include "cli/casefold.h"
#include "cli/commands.h"

#include <cstdint>

namespace {

bool IsSeparator(char32_t c)
{
    return c == U'/' || c == U'\\';
}

// The comparison form of a character: separators unified, case folded.
char32_t Fold(char32_t c)
{
    return IsSeparator(c) ? U'/' : FoldCase(c);
}

} // namespace

std::u32string DecodeUtf8Lenient(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        unsigned char b = p[i];
        std::size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len != 0 && i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            ok = (p[i + k] & 0xC0) == 0x80;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        static const char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
            ok = false;
        if (ok) {
            out += c;
            i += len;
        } else {
            out += U'\uFFFD';
            ++i;
        }
    }
    return out;
}

CGlob::CGlob(std::string_view pattern) : m_strText(pattern)
{
    const std::u32string p = DecodeUtf8Lenient(pattern);
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (c == U'*') {
            // A run of stars is one star; it keeps the matcher linear in practice.
            if (m_tokens.empty() || m_tokens.back().m_kind != SToken::kAnyRun)
                m_tokens.emplace_back(SToken::kAnyRun);
            continue;
        }
        if (c == U'?') {
            m_tokens.emplace_back(SToken::kAnyOne);
            continue;
        }
        if (c == U'[') {
            SToken set(SToken::kSet);
            std::size_t j = i + 1;
            if (j < p.size() && (p[j] == U'!' || p[j] == U'^')) {
                set.m_bNegated = true;
                ++j;
            }
            bool closed = false;
            for (bool first = true; j < p.size(); first = false) {
                if (p[j] == U']' && !first) {
                    closed = true;
                    break;
                }
                char32_t lo = p[j], hi = p[j];
                if (j + 2 < p.size() && p[j + 1] == U'-' && p[j + 2] != U']') {
                    hi = p[j + 2];
                    j += 3;
                } else {
                    ++j;
                }
                if (lo <= hi)
                    set.m_ranges.emplace_back(lo, hi);
            }
            if (closed) {
                m_tokens.push_back(std::move(set));
                i = j;
                continue;
            }
            // No closing bracket: the '[' stands for itself.
        }
        SToken literal(SToken::kChar);
        literal.m_ch = Fold(c);
        m_tokens.push_back(std::move(literal));
    }
}

bool CGlob::MatchesOne(const SToken& token, char32_t c) const
{
    switch (token.m_kind) {
    case SToken::kChar: return Fold(c) == token.m_ch;
    case SToken::kAnyOne: return true;
    case SToken::kAnyRun: return false;
    case SToken::kSet: break;
    }
    // Ranges are written in either case, so every case form of c is tried;
    // a separator in the set stands for both separators.
    char32_t forms[] = {c, FoldCase(c), ToUpperCase(c), ToLowerCase(c)};
    if (IsSeparator(c)) {
        forms[0] = U'/';
        forms[1] = U'\\';
    }
    bool found = false;
    for (const auto& [lo, hi] : token.m_ranges)
        for (char32_t f : forms)
            found = found || (f >= lo && f <= hi);
    return found != token.m_bNegated;
}

bool CGlob::Matches(std::string_view path) const
{
    const std::u32string s = DecodeUtf8Lenient(path);
    // Each token but '*' takes exactly one character, so going back to just
    // after the last star is enough (no backtracking over earlier stars).
    std::size_t t = 0, i = 0;
    std::size_t starToken = SIZE_MAX, starPos = 0;
    while (i < s.size()) {
        if (t < m_tokens.size() && m_tokens[t].m_kind == SToken::kAnyRun) {
            starToken = t++;
            starPos = i;
        } else if (t < m_tokens.size() && MatchesOne(m_tokens[t], s[i])) {
            ++t;
            ++i;
        } else if (starToken != SIZE_MAX) {
            t = starToken + 1;
            i = ++starPos;
        } else {
            return false;
        }
    }
    while (t < m_tokens.size() && m_tokens[t].m_kind == SToken::kAnyRun)
        ++t;
    return t == m_tokens.size();
}

CGlobSet::CGlobSet(const std::vector<std::string>& patterns)
    : m_globs(patterns.begin(), patterns.end()), m_matched(m_globs.size(), false)
{
}

bool CGlobSet::Admits(std::string_view path)
{
    bool any = m_globs.empty();
    for (std::size_t i = 0; i < m_globs.size(); ++i)
        if (m_globs[i].Matches(path))
            any = m_matched[i] = true;
    return any;
}

void CGlobSet::WarnUnmatched(std::string_view what) const
{
    for (std::size_t i = 0; i < m_globs.size(); ++i)
        if (!m_matched[i])
            ReportError("warning: no " + std::string(what) + " matches '" + m_globs[i].Text() + "'");
}
