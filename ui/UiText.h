// The texts the main window and its message boxes show, in English and in Simplified Chinese.
#pragma once

#include <initializer_list>
#include <string>

enum class UiText
{
    ImageFilter,
    SwfFilter,
    WebPlayerMissing,
    ReplaceMovieQuestion,
    WebPageNotSaved,
    AddImagesFirst,
    MovieNotMade,
    NoTempFolder,
    NotEnoughMemory,
    UnreadableFiles,
    AndMore,
    CopyFailed,
    CopyFailedPreview,
    QuitQuestion,
    RemoveAllQuestion,
    EnterInteger,
    EnterIntegerInRange,
    AboutItem,
    AboutCaption,
    AboutVersionWord,
    AboutInfo,
    AboutOk,
    CancelBuild,
    // Slide lists, undo and the list's menu.
    Untitled,
    ListFilter,
    SaveChangesQuestion,
    ListNotOpened,
    ListNotSaved,
    ListUnreadable,
    ListUtf16,
    ListNulByte,
    ListAddressWithoutPicture,
    ListEntryUnwritable,
    ListFramesApart,
    MissingListFiles,
    MenuAddPictures,
    MenuDelete,
    MenuMoveLeft,
    MenuMoveRight,
    MenuRemoveLink,
    MenuRemoveAll,
    MenuOpenList,
    MenuSaveList,
};

// The text in one language; %1, %2... stand for arguments that FormatUiText fills in.
const wchar_t *UiString(UiText id, bool bEnglish);
// The text with %1, %2... replaced by the arguments in order.
std::wstring FormatUiText(UiText id, bool bEnglish, std::initializer_list<std::wstring> args = {});
