// The outside world as the dialogs see it: file dialogs, message boxes, the shell, folders, language.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Everything the main dialog asks of the system goes through here, so tests can drive the real
// dialog with a fake that records the calls and answers as told.
class ISystemServices
{
  public:
    virtual ~ISystemServices() = default;

    // The Open dialog: filter "Name|pattern|...||", OFN_ flags, room for nBufferChars characters of
    // names, the folder it starts in (empty: the system's choice). True with the chosen full paths
    // when the user confirmed.
    virtual bool ShowOpenFileDialog(HWND hOwner, const std::wstring &filter, DWORD dwFlags, size_t nBufferChars,
                                    const std::wstring &initialFolder, std::vector<std::wstring> &paths) = 0;
    // The Save As dialog. On entry path is where it starts: a suggested full path, a folder (ending with a
    // separator), or empty for the system's choice. True with the chosen full path when the user confirmed.
    virtual bool ShowSaveFileDialog(HWND hOwner, const std::wstring &filter, const std::wstring &defaultExt,
                                    DWORD dwFlags, std::wstring &path) = 0;
    // A modal message box titled with the application's name; returns the button pressed.
    virtual int ShowMessageBox(HWND hOwner, const std::wstring &text, UINT nType) = 0;
    // Opens a file with the system's "open" verb (ShellExecuteW, no owner, SW_SHOWNORMAL).
    virtual void ShellOpen(const std::wstring &path) = 0;
    // The system's temporary folder as GetTempPathW reports it (260 characters at most).
    virtual std::wstring TempFolder() = 0;
    // The full path of the running executable.
    virtual std::wstring ModulePath() = 0;
    virtual LANGID SystemDefaultLangId() = 0;
    // True when a directory search for path (which may be a pattern) finds a file or folder.
    virtual bool FileExists(const std::wstring &path) = 0;
    // The user's roaming application-data folder (%APPDATA%), without a trailing separator; empty when
    // there is none.
    virtual std::wstring AppDataFolder() = 0;
};
