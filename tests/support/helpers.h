#pragma once
// What many tests share: archives written from bare names or as the worked
// example, entries found by name or path, file counts, caught exceptions and
// the messages the user was shown.
#include "archive/datfiledoc.h"
#include "datwriter.h"
#include "fakes.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// An entry of the given name and data, further fields set by tweak.
inline SDatEntryDef Def(std::string name, std::string data, const std::function<void(SDatEntryDef&)>& tweak = {})
{
    SDatEntryDef d;
    d.name = std::move(name);
    d.data = std::move(data);
    if (tweak)
        tweak(d);
    return d;
}

// Trailer and directory fields written instead of the true ones; nothing: the true one.
inline SDatOptions Options(std::optional<std::uint32_t> count, std::optional<std::uint32_t> dirSize,
                           std::optional<std::uint32_t> dataSizeWord, std::string trailing = {})
{
    SDatOptions o;
    o.fileCount = count;
    o.directorySize = dirSize;
    o.dataSizeWord = dataSizeWord;
    o.trailingDirectoryBytes = std::move(trailing);
    return o;
}

// Writes each name as a stored entry holding its own name to a new file in dir.
inline std::string WriteNamesArchive(const CTempDir& dir, const std::vector<std::string>& names,
                                     const SDatOptions& opt = {})
{
    static int s_nArchives = 0;
    CDatWriter w;
    for (const std::string& n : names)
        w.AddStored(n, n);
    const std::string path = dir / ("names" + std::to_string(s_nArchives++) + ".dat");
    w.WriteTo(path, opt);
    return path;
}

// The worked example: two folder levels, a file at the top; stored, compressed
// (readme.txt too, so its packed size differs) and empty entries.
inline CDatWriter ExampleArchive()
{
    CDatWriter w;
    w.AddStored("art\\intrface\\b.frm", "frame b");
    w.AddCompressed("art\\intrface\\a.frm", std::string(4000, 'a') + "tail");
    w.AddStored("art\\critters\\c.frm", "");
    w.AddCompressed("text\\english\\d.msg", "{100}{}{Hello}\n");
    w.AddCompressed("readme.txt", "read me\r\n");
    return w;
}

// The entry whose path (folders joined by backslashes) or, failing that, bare name is `name`.
inline CDATInternalFile& FindFile(CDATFileDoc& doc, const std::string& name)
{
    for (CDATInternalFile& f : doc.m_files) {
        std::string path = f.m_strName;
        for (const CDATFolder* p = f.m_pParent; !p->IsRoot(); p = p->m_pParent)
            path = p->m_strName + "\\" + path;
        if (path == name)
            return f;
    }
    for (CDATInternalFile& f : doc.m_files)
        if (f.m_strName == name)
            return f;
    throw std::runtime_error("no entry " + name);
}

inline CDATFolder& FindFolder(CDATFileDoc& doc, const std::string& name)
{
    for (const CDATFolder& f : doc.m_folders)
        if (f.m_strName == name)
            return const_cast<CDATFolder&>(f);
    throw std::runtime_error("no folder " + name);
}

// The names directly in dir, links and folders included.
inline std::set<std::string> FileNames(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

// Regular files anywhere under root; 0 when root does not exist.
inline std::size_t CountFiles(const std::string& root)
{
    std::size_t n = 0;
    if (std::filesystem::exists(root))
        for (const auto& e : std::filesystem::recursive_directory_iterator(root))
            n += e.is_regular_file();
    return n;
}

// Runs f expecting an exception of type E; returns it, or nothing (and a failure).
template <class E, class F>
std::optional<E> CatchException(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e;
    }
    ADD_FAILURE() << "no exception of the expected type";
    return std::nullopt;
}

// The user's i-th message box had this text, caption and style.
inline void ExpectMessage(const CFakeUiServices& ui, std::size_t i, const std::string& text,
                          const std::string& caption, unsigned flags)
{
    ASSERT_GT(ui.m_messages.size(), i) << text;
    EXPECT_EQ(ui.m_messages[i].text, text);
    EXPECT_EQ(ui.m_messages[i].caption, caption) << text;
    EXPECT_EQ(ui.m_messages[i].flags, flags) << text;
}

// What the viewer shows of an entry, made and drawn at once into dc: a
// failure is reported through the UI services, as the viewer does.
void ShowEntry(const CDATFileDoc& doc, CDATInternalFile& item, CDC& dc, RECT pane);
