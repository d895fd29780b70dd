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
// Save As offers the movie alone, or the movie with a web page that plays it.
const wchar_t kSaveFilterEnglish[] = L"SWF File|*.swf|Web page with movie (*.html)|*.html|";
const wchar_t kSaveFilterChinese[] = L"SWF File|*.swf|含影片的网页 (*.html)|*.html|";
// Save As: ask before replacing a file, no read-only box.
constexpr DWORD kSaveOptions = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
const wchar_t kTempMovieName[] = L"ftmptest0.swf";
// How many unreadable files a message names before it only counts the rest.
constexpr size_t kMaxNamedFiles = 10;

// The buttons that change the slide list, disabled while a movie is built.
const int kListButtons[] = {IDC_BTN_DELETE, IDC_BTN_ADD, IDC_BTN_LEFT, IDC_BTN_RIGHT, IDC_BTN_REMOVEALL};

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
    CommitUrlEdit();
    EnableListButtons(false);
    BuildMovie();
    EnableListButtons(true);
}

int CBrivelleDlg::BuildMovie()
{
    try
    {
        UpdateData(true);
        if (m_model.m_images.empty())
        {
            ShowMessageBox(L"Please add image files to list", MB_OK | MB_ICONWARNING);
            return 0;
        }
        std::wstring chosenPath;
        if (!m_services.ShowSaveFileDialog(m_hWnd, m_bEnglish ? kSaveFilterEnglish : kSaveFilterChinese, L"swf",
                                           kSaveOptions, chosenPath))
            return 0;
        const bool bWebPage = IsWebPagePath(Utf8FromWide(chosenPath));
        const std::wstring outputPath =
            bWebPage ? WideFromUtf8(ReplaceExtension(Utf8FromWide(chosenPath), ".swf")) : chosenPath;
        const std::string playerFolder = WebPlayerFolderBeside(Utf8FromWide(m_services.ModulePath()));
        if (bWebPage && !HasWebPlayerFiles(playerFolder))
        {
            ShowMessageBox(L"The web page was not made: the web player files (ruffle) are not installed beside "
                           L"Brivelle.exe.",
                           MB_OK | MB_ICONWARNING);
            return 0;
        }
        // The Save As dialog asked about the page; the movie beside it is replaced only when the user agrees.
        if (bWebPage && m_services.FileExists(outputPath) &&
            ShowMessageBox(outputPath + L" already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONWARNING) !=
                IDYES)
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
            ShowMessageBox(L"The movie was not made: the temporary folder cannot be determined.",
                           MB_OK | MB_ICONWARNING);
            return 0;
        }
        const std::wstring tempMovie = tempFolder + kTempMovieName;
        job.strTempMovie = Utf8FromWide(tempMovie);
        job.strOutput = Utf8FromWide(outputPath);

        const BuildReport report = BuildMovieFile(job);
        if (report.nResult == 0)
        {
            // Refused settings or a movie that could not be written: nothing was made.
            ShowMessageBox(L"The movie was not made: " + Sentence(report.strError), MB_OK | MB_ICONWARNING);
            return 0;
        }
        ShowPreview(tempMovie);
        ReportBuildProblems(report, outputPath);
        std::string error;
        if (bWebPage && !report.bCopyFailed &&
            !PublishWebPage(playerFolder, job.strOutput, Utf8FromWide(chosenPath), job.settings.nWidth,
                            job.settings.nHeight, error))
            ShowMessageBox(L"The web page could not be saved: " + Sentence(error), MB_OK | MB_ICONWARNING);
        return 1;
    }
    catch (const std::bad_alloc &)
    {
        ShowMessageBox(L"The movie was not made: not enough memory.", MB_OK | MB_ICONWARNING);
    }
    catch (const std::exception &e)
    {
        ShowMessageBox(L"The movie was not made: " + Sentence(e.what()), MB_OK | MB_ICONWARNING);
    }
    return 0;
}

void CBrivelleDlg::ReportBuildProblems(const BuildReport &report, const std::wstring &outputPath)
{
    if (!report.unreadable.empty())
    {
        std::wstring text = L"These files could not be read; their slides show a blank picture:\n";
        for (size_t i = 0; i < report.unreadable.size() && i < kMaxNamedFiles; ++i)
            text += L"\n" + WideFromUtf8(report.unreadable[i].strPath);
        if (report.unreadable.size() > kMaxNamedFiles)
            text += L"\n... and " + std::to_wstring(report.unreadable.size() - kMaxNamedFiles) + L" more";
        ShowMessageBox(text, MB_OK | MB_ICONWARNING);
    }
    if (report.bCopyFailed)
    {
        std::wstring text = L"The movie could not be saved as " + outputPath;
        if (!report.strCopyError.empty())
            text += L" (" + WideFromUtf8(report.strCopyError) + L")";
        text += L".\nThe preview shows it from the temporary folder.";
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
