#pragma once
// Shell-style patterns for entry paths, as modders type them in scripts.
// Letter case is ignored (Cyrillic too), '/' and '\' are one and the same
// separator, and '*' runs across separators, so "art/*.frm" takes every FRM
// anywhere under ART.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CGlob
{
public:
    // pattern is UTF-8; bytes that are not are taken as U+FFFD.
    //   *      any run of characters, separators included
    //   ?      any one character
    //   [...]  one character of the set: single characters and ranges a-z,
    //          [!...] or [^...] for the complement, a ']' first is literal;
    //          a '[' without its ']' is an ordinary character
    explicit CGlob(std::string_view pattern);

    // path is UTF-8 (a decoded entry path).
    bool Matches(std::string_view path) const;
    const std::string& Text() const { return m_strText; }

private:
    struct SToken
    {
        enum Kind { kChar, kAnyOne, kAnyRun, kSet };
        explicit SToken(Kind kind) : m_kind(kind) {}
        Kind m_kind;
        char32_t m_ch = 0; // kChar: folded
        bool m_bNegated = false;
        std::vector<std::pair<char32_t, char32_t>> m_ranges;
    };
    bool MatchesOne(const SToken& token, char32_t c) const;

    std::string m_strText;
    std::vector<SToken> m_tokens;
};

// UTF-8 to code points, U+FFFD for each byte that does not decode.
std::u32string DecodeUtf8Lenient(std::string_view text);

// The patterns of one command: a path is taken when any matches (all are
// taken when there are none), and each pattern remembers whether it matched.
class CGlobSet
{
public:
    explicit CGlobSet(const std::vector<std::string>& patterns);
    bool Admits(std::string_view path);
    // "warning: no <what> matches '<pattern>'" for each pattern that never did.
    void WarnUnmatched(std::string_view what) const;

private:
    std::vector<CGlob> m_globs;
    std::vector<bool> m_matched;
};
