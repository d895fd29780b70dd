// CBrivelleDlg: the make-movie command, the build over the engine, and the preview player.
#include "ui/BrivelleDlg.h"

#include "base/Path.h"
#include "base/Utf8.h"
#include "build/WebPage.h"
#include "preview/Shockwaveflash1.h"

#include <commdlg.h>

#include <exception>
#include <new>

namespace
{
// Save As: ask before replacing a file, no read-only box.
constexpr DWORD kSaveOptions = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
const wchar_t kTempMovieName[] = L"ftmptest0.swf";
// How many unreadable files a message names before it only counts the rest.
constexpr size_t kMaxNamedFiles = 10;

// The buttons that change the slide list, disabled while a movie is built.
const int kListButtons[] = {IDC_BTN_DELETE, IDC_BTN_ADD, IDC_BTN_LEFT, IDC_BTN_RIGHT, IDC_BTN_REMOVEALL};

// An engine's reason as the end of a sentence.
std::wstring Sentence(const std::string &reason)
{
    std::wstring text = WideFromUtf8(reason);
    if (!text.empty() && text.back() != L'.')
        text += L'.';
    return text;
}
} // namespace

void CBrivelleDlg::EnableListButtons(bool bEnable)
{
    for (int nId : kListButtons)
        ::EnableWindow(GetDlgItem(nId), bEnable ? TRUE : FALSE);
}

void CBrivelleDlg::OnMakeMovie()
{
    // One build at a time; Enter or a click that slipped past the disabled button does nothing.
    if (m_pBuild)
        return;
    CommitUrlEdit();
    EnableListButtons(false);
    if (BuildMovie() == 0)
        EnableListButtons(true);
}

int CBrivelleDlg::BuildMovie()
{
    try
    {
        // A refused setting has been shown to the user already; the run ends there.
        if (!UpdateData(true))
            return 0;
        if (m_model.m_images.empty())
        {
            ShowMessageBox(UiString(UiText::AddImagesFirst, m_bEnglish), MB_OK | MB_ICONWARNING);
            return 0;
        }
        std::wstring chosenPath = m_strSaveFolder;
        if (!m_services.ShowSaveFileDialog(m_hWnd, UiString(UiText::SwfFilter, m_bEnglish), L"swf", kSaveOptions,
                                           chosenPath))
            return 0;
        m_strSaveFolder = FolderOf(chosenPath);
        BuildTarget target;
        target.chosenPath = chosenPath;
        target.bWebPage = IsWebPagePath(Utf8FromWide(chosenPath));
        target.outputPath =
            target.bWebPage ? WideFromUtf8(ReplaceExtension(Utf8FromWide(chosenPath), ".swf")) : chosenPath;
        target.playerFolder = WebPlayerFolderBeside(Utf8FromWide(m_services.ModulePath()));
        if (target.bWebPage && !HasWebPlayerFiles(target.playerFolder))
        {
            ShowMessageBox(UiString(UiText::WebPlayerMissing, m_bEnglish), MB_OK | MB_ICONWARNING);
            return 0;
        }
        // The Save As dialog asked about the page; the movie beside it is replaced only when the user agrees.
        if (target.bWebPage && m_services.FileExists(target.outputPath) &&
            ShowMessageBox(FormatUiText(UiText::ReplaceMovieQuestion, m_bEnglish, {target.outputPath}),
                           MB_YESNO | MB_ICONWARNING) != IDYES)
            return 0;

        BuildJob job;
        job.slides = m_model.m_images;
        job.settings.nWidth = m_model.m_nWidth;
        job.settings.nHeight = m_model.m_nHeight;
        job.settings.bFpsMode = GetCheckedRadioButton(IDC_RADIO_FPS, IDC_RADIO_DELAY) == IDC_RADIO_FPS;
        job.settings.nFps = m_model.m_nFps;
        job.settings.nDelay = m_model.m_nDelay;

        const std::wstring tempFolder = FolderOf(m_services.TempFolder());
        if (tempFolder.empty())
        {
            ShowNotMade(UiString(UiText::NoTempFolder, m_bEnglish));
            return 0;
        }
        target.tempMovie = tempFolder + kTempMovieName;
        job.strTempMovie = Utf8FromWide(target.tempMovie);
        job.strOutput = Utf8FromWide(target.outputPath);

        target.nWidth = job.settings.nWidth;
        target.nHeight = job.settings.nHeight;
        m_buildTarget = target;
        StartBuild(std::move(job));
        return 1;
    }
    catch (const std::bad_alloc &)
    {
        ShowNotMade(UiString(UiText::NotEnoughMemory, m_bEnglish));
    }
    catch (const std::exception &e)
    {
        ShowNotMade(Sentence(e.what()));
    }
    return 0;
}

void CBrivelleDlg::FinishBuild(const BuildReport &report)
{
    if (report.bStopped)
        return;
    if (report.nResult == 0)
    {
        // Refused settings or a movie that could not be written: nothing was made.
        ShowNotMade(Sentence(report.strError));
        return;
    }
    ShowPreview(m_buildTarget.tempMovie);
    ReportBuildProblems(report, m_buildTarget.outputPath);
    std::string error;
    if (m_buildTarget.bWebPage && !report.bCopyFailed &&
        !PublishWebPage(m_buildTarget.playerFolder, Utf8FromWide(m_buildTarget.outputPath),
                        Utf8FromWide(m_buildTarget.chosenPath), m_buildTarget.nWidth, m_buildTarget.nHeight, error))
        ShowMessageBox(FormatUiText(UiText::WebPageNotSaved, m_bEnglish, {Sentence(error)}), MB_OK | MB_ICONWARNING);
}

void CBrivelleDlg::ShowNotMade(const std::wstring &reason)
{
    ShowMessageBox(FormatUiText(UiText::MovieNotMade, m_bEnglish, {reason}), MB_OK | MB_ICONWARNING);
}

void CBrivelleDlg::ReportBuildProblems(const BuildReport &report, const std::wstring &outputPath)
{
    if (!report.unreadable.empty())
    {
        std::wstring text = UiString(UiText::UnreadableFiles, m_bEnglish);
        for (size_t i = 0; i < report.unreadable.size() && i < kMaxNamedFiles; ++i)
            text += L"\n" + WideFromUtf8(report.unreadable[i].strPath);
        if (report.unreadable.size() > kMaxNamedFiles)
            text +=
                FormatUiText(UiText::AndMore, m_bEnglish, {std::to_wstring(report.unreadable.size() - kMaxNamedFiles)});
        ShowMessageBox(text, MB_OK | MB_ICONWARNING);
    }
    if (report.bCopyFailed)
    {
        std::wstring text = FormatUiText(UiText::CopyFailed, m_bEnglish, {outputPath});
        if (!report.strCopyError.empty())
            text += L" (" + WideFromUtf8(report.strCopyError) + L")";
        text += UiString(UiText::CopyFailedPreview, m_bEnglish);
        ShowMessageBox(text, MB_OK | MB_ICONWARNING);
    }
}

void CBrivelleDlg::ShowPreview(const std::wstring &path)
{
    UpdateData(true);

    RECT rc = m_imageArea.GetWindowRect();
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&rc), 2);
    const int nAreaWidth = rc.right - rc.left;
    const int nAreaHeight = rc.bottom - rc.top;
    if (nAreaWidth >= m_model.m_nWidth && nAreaHeight >= m_model.m_nHeight)
    {
        rc.left += (nAreaWidth - m_model.m_nWidth) / 2;
        rc.top += (nAreaHeight - m_model.m_nHeight) / 2;
        rc.right = rc.left + m_model.m_nWidth;
        rc.bottom = rc.top + m_model.m_nHeight;
    }

    if (m_imageArea.IsWindowVisible())
        m_imageArea.ShowWindow(SW_HIDE);
    ClosePreview();

    m_pFlash = std::make_unique<CShockwaveflash1>();
    m_pFlash->SetServices(&m_services);
    if (!m_pFlash->Create(L"myFlashPlay", WS_CHILD | WS_VISIBLE, rc, this, IDC_FLASH_PLAYER))
        return;
    m_pFlash->SetMovie(path);
    m_pFlash->Play();
}

void CBrivelleDlg::ClosePreview()
{
    if (!m_pFlash)
        return;
    if (m_pFlash->m_hWnd != nullptr)
    {
        if (m_pFlash->IsPlaying())
            m_pFlash->Stop();
        m_pFlash->DestroyWindow();
    }
    m_pFlash.reset();
}
