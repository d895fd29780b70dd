// Slide list files: UTF-8 text, one slide per line, a path optionally followed by a tab and an address.
#pragma once

#include <string>
#include <vector>

// One slide of a list file.
struct SlideListEntry
{
    std::string strPath; // UTF-8; relative paths in the file are resolved against the list's folder
    std::wstring strUrl; // empty: no link
    int nLine = 0;       // the line it was read from (1-based); 0 for entries not read from a file
};

// Why a list could not be read or written.
struct SlideListProblem
{
    enum Kind
    {
        kNone,
        kOpen,       // the file could not be opened (nErrno says why)
        kRead,       // a read error
        kWrite,      // the file could not be written (strDetail says why)
        kUtf16,      // a UTF-16 byte-order mark
        kNul,        // a NUL byte on line nLine
        kNoPath,     // an address but no path on line nLine
        kUnwritable, // a path or an address with a tab or a line break cannot be written (entry nLine)
    };
    Kind kind = kNone;
    int nLine = 0;
    int nErrno = 0;
    std::string strDetail; // the system's reason for a failed write
};

// Reads a list file: UTF-8 with or without a byte-order mark, LF or CRLF line ends; blank lines are
// skipped. False with the problem when it cannot be read, is UTF-16, holds a NUL byte or has an address
// without a path.
bool ReadSlideListFile(const std::string &listPath, std::vector<SlideListEntry> &entries, SlideListProblem &problem);

// The file's text: paths inside the list's folder (or below it) relative to it, others as they are;
// the address after a tab when there is one; CRLF line ends on Windows, LF elsewhere; no byte-order mark.
// False when an entry cannot be written as one line (problem.nLine is its 1-based index).
bool FormatSlideList(const std::string &listPath, const std::vector<SlideListEntry> &entries, std::string &text,
                     SlideListProblem &problem);

// Writes the list as the new version of the file: complete, or the old file untouched.
bool WriteSlideListFile(const std::string &listPath, const std::vector<SlideListEntry> &entries,
                        SlideListProblem &problem);

// The problem in English, naming the list and the line: "holiday.txt, line 3: an address but no image".
std::string SlideListProblemText(const std::string &listPath, const SlideListProblem &problem);
