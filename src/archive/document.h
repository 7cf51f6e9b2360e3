#pragma once
// A small document/view core: a document keeps its views and tells them to
// refresh; each view rebuilds what it shows from the document's state.
#include <string>
#include <vector>

class CDocument;

class CView
{
public:
    virtual ~CView();
    // The first update after a document was opened or made new.
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
    virtual void OnUpdate(CView* sender, long hint, void* hintObject) = 0;
    CDocument* GetDocument() const { return m_pDocument; }

private:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};

class CDocument
{
public:
    CDocument() = default;
    virtual ~CDocument();
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    void AddView(CView* view);
    void RemoveView(CView* view);
    const std::vector<CView*>& GetViews() const { return m_views; }

    // Every view but sender gets OnUpdate(sender, hint, hintObject).
    void UpdateAllViews(CView* sender, long hint = 0, void* hintObject = nullptr);
    void SendInitialUpdate();

    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const std::string& path) { m_strPathName = path; }
    // The file name of the path, or "Untitled".
    std::string GetTitle() const;

    virtual void DeleteContents() {}
    // Empties the document and forgets its path.
    virtual bool OnNewDocument();
    // Loads path in place of the document's contents; false (after telling
    // the user) when that fails, leaving the document as it was.
    virtual bool OnOpenDocument(const std::string& path) = 0;
    virtual void OnCloseDocument();

    // The single-document template's open: OnOpenDocument, then the path and
    // the views' initial update.
    bool OpenDocumentFile(const std::string& path);

private:
    std::vector<CView*> m_views;
    std::string m_strPathName;
};
