#include "platform/uiservices.h"

#include "platform/apptitle.h"

const char* const g_szAppTitle = "Ashmoor 2 DAT file browser";

namespace {

class CHeadlessUiServices final : public CUiServices
{
public:
    int MessageBox(CWnd*, const std::string&, const std::string&, unsigned flags) override
    {
        unsigned buttons = flags & 0x0F;
        return buttons == MB_YESNO || buttons == MB_YESNOCANCEL || buttons == MB_YESNOALLCANCEL ? IDNO : IDOK;
    }
    void ReportException(const std::exception&, const std::string&) override {}
    void ShowProperties(CDATItem*, CWnd*) override {}
    std::optional<SSaveFileResult> GetSaveFileName(CWnd*, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> BrowseForFolder(CWnd*, const std::string&) override { return std::nullopt; }
    bool OpenWithDefaultProgram(CWnd*, const std::string&, std::string* error) override
    {
        if (error)
            *error = "no desktop";
        return false;
    }
    bool StartProgram(CWnd*, const std::string&, std::string* error) override
    {
        if (error)
            *error = "no desktop";
        return false;
    }
    std::unique_ptr<IProgress> CreateProgress() override { return nullptr; }
};

CHeadlessUiServices g_headless;
CUiServices* g_pServices = &g_headless;

} // namespace

CUiServices& UiServices()
{
    return *g_pServices;
}

void SetUiServices(CUiServices* services)
{
    g_pServices = services ? services : &g_headless;
}
