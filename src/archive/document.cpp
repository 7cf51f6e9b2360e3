#include "archive/document.h"

#include "platform/uitext.h"

#include <algorithm>

CView::~CView()
{
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CDocument::~CDocument()
{
    for (CView* view : m_views)
        view->m_pDocument = nullptr;
}

void CDocument::AddView(CView* view)
{
    if (view->m_pDocument == this)
        return;
    if (view->m_pDocument)
        view->m_pDocument->RemoveView(view);
    m_views.push_back(view);
    view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view)
{
    auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it != m_views.end()) {
        m_views.erase(it);
        view->m_pDocument = nullptr;
    }
}

void CDocument::UpdateAllViews(CView* sender, long hint, void* hintObject)
{
    // A view may add or remove views while it updates; walk a copy.
    std::vector<CView*> views = m_views;
    for (CView* view : views)
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(sender, hint, hintObject);
}

void CDocument::SendInitialUpdate()
{
    std::vector<CView*> views = m_views;
    for (CView* view : views)
        view->OnInitialUpdate();
}

std::string CDocument::GetTitle() const
{
    if (m_strPathName.empty())
        return DRAVIK_TR_NOOP("Core", "Untitled");
    // A set of sources (one path a line) is named by its sources' names.
    std::string title;
    for (std::size_t start = 0; start < m_strPathName.size();) {
        std::size_t end = std::min(m_strPathName.find('\n', start), m_strPathName.size());
        const std::string line = m_strPathName.substr(start, end - start);
        const std::string::size_type slash = line.rfind('/');
        if (!line.empty())
            title += (title.empty() ? "" : " + ") + (slash == std::string::npos ? line : line.substr(slash + 1));
        start = end + 1;
    }
    return title;
}

bool CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    return true;
}

void CDocument::OnCloseDocument()
{
    DeleteContents();
    m_strPathName.clear();
}

bool CDocument::OpenDocumentFile(const std::string& path)
{
    // A document that could not open the new file keeps its own, path and all.
    if (!OnOpenDocument(path))
        return false;
    m_strPathName = path;
    SendInitialUpdate();
    return true;
}
