// The document's comparison of what is open with a second archive or folder.
#include "archive/datfiledoc.h"

#include "archive/sourcestack.h"
#include "platform/progress.h"
#include "platform/uiservices.h"
#include "platform/uitext.h"

#include <atomic>

bool CDATFileDoc::LoadComparison(const std::string& newSource, std::vector<std::string>& complaints)
{
    // What is open stays the old side: a comparison again starts from it.
    const std::string& oldPath = GetPathName();
    std::vector<std::string> sources = IsSourceSet(oldPath) ? SplitSourceSet(oldPath) : std::vector{oldPath};
    const std::size_t firstNew = sources.size();
    sources.push_back(newSource);
    std::vector<std::string> absolute;
    std::unique_ptr<CSourceStack> stack = OpenSources(sources, absolute);
    stack->Merge();

    CUiServices& ui = UiServices();
    std::unique_ptr<IProgress> progress = ui.CreateProgress();
    const std::atomic<bool>* refresh = nullptr;
    if (progress) {
        progress->OpenModeless(nullptr);
        progress->SetWindowText(DRAVIK_TR_NOOP("Core", "Сравнение..."));
        progress->SetBounds(0, std::int32_t(stack->Count()));
        refresh = progress->RefreshFlag();
    }
    // The dialog is visited only when it refreshes; the entries done meanwhile
    // advance the bar in one step.
    std::size_t reported = 0;
    auto step = [&](std::size_t done) {
        if (!progress || (refresh && !refresh->load(std::memory_order_relaxed)))
            return true;
        progress->AdvanceBy(std::int32_t(done - reported));
        reported = done;
        progress->SetStatusLine(stack->EntryOf(stack->Winner(done)).m_name, true);
        return !progress->PollCancel();
    };
    CSourceDiff diff(*stack, firstNew);
    std::optional<std::vector<EEntryChange>> changes =
        diff.CompareAll([&](std::size_t, const std::string& cause) { complaints.push_back(cause); }, step);
    progress.reset();
    if (!changes)
        return false;

    AdoptStack(std::move(stack), absolute);
    auto comparison = std::make_unique<SComparison>();
    comparison->m_nFirstNew = firstNew;
    comparison->m_changes = std::move(*changes);
    // A folder is marked where anything below it changed; the root last.
    comparison->m_changedFolders.assign(m_folders.size() + 1, false);
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (comparison->m_changes[i] == EEntryChange::kSame)
            continue;
        comparison->m_changedFolders.back() = true;
        for (const CDATFolder* f = m_files[i].m_pParent; f && !f->IsRoot(); f = f->m_pParent)
            comparison->m_changedFolders[f->m_nIndex] = true;
    }
    m_pComparison = std::move(comparison);
    m_nListingKind = kListFolder;
    SendInitialUpdate();
    return true;
}

EEntryChange CDATFileDoc::ChangeOf(const CDATItem& item) const
{
    const auto* file = dynamic_cast<const CDATInternalFile*>(&item);
    if (!m_pComparison || !file || file < m_files.data() || file >= m_files.data() + m_files.size())
        return EEntryChange::kSame;
    return m_pComparison->m_changes[std::size_t(file - m_files.data())];
}

bool CDATFileDoc::FolderChanged(const CDATFolder& folder) const
{
    if (!m_pComparison)
        return false;
    const std::size_t slot = folder.IsRoot() ? m_pComparison->m_changedFolders.size() - 1 : folder.m_nIndex;
    return slot < m_pComparison->m_changedFolders.size() && m_pComparison->m_changedFolders[slot];
}

void CDATFileDoc::SetShowUnchanged(bool on)
{
    if (m_pComparison)
        m_pComparison->m_bShowUnchanged = on;
}

void CDATFileDoc::DropUnchanged()
{
    if (!m_pComparison || m_pComparison->m_bShowUnchanged)
        return;
    std::erase_if(m_listing, [this](const CDATItem* item) {
        const auto* folder = dynamic_cast<const CDATFolder*>(item);
        return folder ? !FolderChanged(*folder) : ChangeOf(*item) == EEntryChange::kSame;
    });
}

const CSourceStack* CDATFileDoc::StackOf(const CDATInternalFile& entry, std::size_t& index) const
{
    if (!m_pStack || &entry < m_files.data() || &entry >= m_files.data() + m_files.size())
        return nullptr;
    index = std::size_t(&entry - m_files.data());
    return m_pStack.get();
}

bool CDATFileDoc::IsLoose(const CDATInternalFile& entry) const
{
    std::size_t i = 0;
    const CSourceStack* stack = StackOf(entry, i);
    return stack && stack->Source(stack->Winner(i).m_nSource).Kind() == CStackSource::EKind::kFolder;
}

std::string CDATFileDoc::SourceLabelOf(const CDATInternalFile& entry) const
{
    std::size_t i = 0;
    const CSourceStack* stack = StackOf(entry, i);
    return stack ? stack->Source(stack->Winner(i).m_nSource).Label() : std::string();
}

std::optional<CDATFileDoc::SOldVersion> CDATFileDoc::OldVersion(const CDATInternalFile& entry) const
{
    std::size_t i = 0;
    const CSourceStack* stack = StackOf(entry, i);
    if (!stack || !m_pComparison || m_pComparison->m_changes[i] != EEntryChange::kChanged)
        return std::nullopt;
    const std::optional<SEntryCopy> copy = SideCopy(*stack, i, m_pComparison->m_nFirstNew, false);
    if (!copy)
        return std::nullopt;
    // The new side's record under the old copy's sizes and place: same name, folder and type.
    const CStackSource::SEntry e = stack->EntryOf(*copy);
    SOldVersion old{entry, stack->Source(copy->m_nSource).FileOf(copy->m_nIndex),
                    stack->Source(copy->m_nSource).Label()};
    old.m_entry.m_nRealSize = e.m_nRealSize;
    old.m_entry.m_nPackedSize = e.m_nPackedSize;
    old.m_entry.m_nOffset = e.m_nOffset;
    old.m_entry.m_storage = e.m_storage;
    return old;
}
