#include "views/dragout.h"

#include "archive/datfiledoc.h"
#include "archive/destnames.h"
#include "filetypes/cachepath.h"
#include "views/extractdirs.h"

#include <QMimeData>
#include <QUrl>
#include <sys/stat.h>

namespace {

// A few files go out at once; more, or big ones, show the progress dialog.
constexpr std::size_t kProgressFromFiles = 64;
constexpr std::uint64_t kProgressFromBytes = 32u << 20;

} // namespace

std::string HandOutFolder(const SArchiveContext& context)
{
    std::string folder = ArchiveCacheFolder(context);
    folder.back() = '.';
    return folder + "out";
}

QMimeData* EntriesAsFiles(CDATFileDoc& doc, const std::vector<const CDATItem*>& items, CWnd* owner,
                          SExtractDirsResult* result)
{
    if (items.empty())
        return nullptr;
    const SArchiveContext context = doc.Context();
    const std::string folder = HandOutFolder(context);
    ::mkdir(context.m_strCacheFolder.c_str(), 0777);
    MakeMappedFolder(folder);

    SExtractDirsOptions options;
    options.m_bAsk = false; // what is there came from this very archive
    options.m_nProgressFromFiles = kProgressFromFiles;
    options.m_nProgressFromBytes = kProgressFromBytes;
    SExtractDirsResult run = ExtractItemsWithFolders(doc, items, folder, options, owner);
    if (result)
        *result = run;
    if (run.m_bStopped || run.m_topLevel.empty())
        return nullptr;

    QList<QUrl> urls;
    QByteArray copied("copy");
    for (const std::string& path : run.m_topLevel) {
        const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
        urls.push_back(url);
        copied += '\n' + url.toEncoded();
    }
    auto* data = new QMimeData;
    data->setUrls(urls);
    // File managers of the GNOME family paste only from their own format.
    data->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
    return data;
}
