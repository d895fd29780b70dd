// The main window's texts in both languages.
#include "ui/UiText.h"

namespace
{
struct TextPair
{
    UiText id;
    const wchar_t *pszEnglish;
    const wchar_t *pszChinese;
};

const TextPair kTexts[] = {
    {UiText::ImageFilter,
     L"Image file "
     L"(*.bmp;*.jpg;*.jpeg;*.jpe;*.gif;*.tif;*.tiff;*.png)|*.bmp;*.jpg;*.jpeg;*.jpe;*.gif;*.tif;*.tiff;*.png|"
     L"all Files (*.*)|*.*||",
     L"图片文件 (*.bmp;*.jpg;*.jpeg;*.jpe;*.gif;*.tif;*.tiff;*.png)|*.bmp;*.jpg;*.jpeg;*.jpe;*.gif;*.tif;*.tiff;*.png|"
     L"所有文件 (*.*)|*.*||"},
    {UiText::SwfFilter, L"SWF File|*.swf|Web page with movie (*.html)|*.html|",
     L"SWF 文件|*.swf|含影片的网页 (*.html)|*.html|"},
    {UiText::WebPlayerMissing,
     L"The web page was not made: the web player files (ruffle) are not installed beside Brivelle.exe.",
     L"未生成网页：Brivelle.exe 旁边没有安装网页播放器文件 (ruffle)。"},
    {UiText::ReplaceMovieQuestion, L"%1 already exists.\nDo you want to replace it?", L"%1 已存在。\n要替换它吗？"},
    {UiText::WebPageNotSaved, L"The web page could not be saved: %1", L"无法保存网页：%1"},
    {UiText::AddImagesFirst, L"Please add image files to list", L"请先把图片文件添加到列表中"},
    {UiText::MovieNotMade, L"The movie was not made: %1", L"动画没有制作：%1"},
    {UiText::NoTempFolder, L"the temporary folder cannot be determined.", L"无法确定临时文件夹。"},
    {UiText::NotEnoughMemory, L"not enough memory.", L"内存不足。"},
    {UiText::UnreadableFiles, L"These files could not be read; their slides show a blank picture:\n",
     L"以下文件无法读取，它们的幻灯片显示为空白图片：\n"},
    {UiText::AndMore, L"\n... and %1 more", L"\n……还有 %1 个"},
    {UiText::CopyFailed, L"The movie could not be saved as %1", L"动画无法保存为 %1"},
    {UiText::CopyFailedPreview, L".\nThe preview shows it from the temporary folder.",
     L"。\n预览播放的是临时文件夹中的动画。"},
    {UiText::QuitQuestion, L"Quit Brivelle? The slide list will be lost.", L"退出 Brivelle 吗？图片列表将会丢失。"},
    {UiText::RemoveAllQuestion, L"Remove all %1 slides?", L"要清空全部 %1 张图片吗？"},
    {UiText::EnterInteger, L"Please enter an integer.", L"请输入一个整数。"},
    {UiText::EnterIntegerInRange, L"Please enter an integer between %1 and %2.", L"请输入 %1 到 %2 之间的整数。"},
    {UiText::AboutItem, L"&About Brivelle...", L"关于 Brivelle(&A)..."},
    {UiText::AboutCaption, L"About Brivelle", L"关于 Brivelle"},
    {UiText::AboutVersionWord, L"Version", L"版本"},
    {UiText::AboutInfo, L"Turns pictures into a Flash movie.", L"把图片制作成 Flash 动画。"},
    {UiText::AboutOk, L"OK", L"确定"},
    {UiText::CancelBuild, L"Cancel", L"取消"},
    {UiText::Untitled, L"Untitled", L"未命名"},
    {UiText::ListFilter, L"Slide list (*.txt)|*.txt|All files (*.*)|*.*||",
     L"图片列表 (*.txt)|*.txt|所有文件 (*.*)|*.*||"},
    {UiText::SaveChangesQuestion, L"Save the changes to %1?", L"要保存对 %1 的更改吗？"},
    {UiText::ListNotOpened, L"The list %1 could not be opened: %2", L"无法打开列表 %1：%2"},
    {UiText::ListNotSaved, L"The list could not be saved as %1: %2", L"无法把列表保存为 %1：%2"},
    {UiText::ListUnreadable, L"the file cannot be read.", L"无法读取该文件。"},
    {UiText::ListUtf16, L"it is UTF-16 text; save it as UTF-8.", L"它是 UTF-16 文本，请将其另存为 UTF-8。"},
    {UiText::ListNulByte, L"line %1 holds a NUL byte (is it UTF-16? save it as UTF-8).",
     L"第 %1 行含有 NUL 字节（是否为 UTF-16？请将其另存为 UTF-8）。"},
    {UiText::ListAddressWithoutPicture, L"line %1 has an address but no picture.", L"第 %1 行有超链接但没有图片。"},
    {UiText::ListEntryUnwritable, L"slide %1 has a tab or a line break in its path or address.",
     L"第 %1 张图片的路径或超链接中含有制表符或换行符。"},
    {UiText::ListFramesApart,
     L"slide %1 is a frame of an animated GIF; a list holds the GIF itself, so its frames must stay together, in "
     L"order, with one address.",
     L"第 %1 张图片是 GIF 动画的一帧；列表中保存的是 GIF "
     L"文件本身，因此它的各帧必须按顺序放在一起，并使用同一个超链接。"},
    {UiText::MissingListFiles, L"These files of the list were not found; their slides show a crossed picture:\n",
     L"未找到列表中的以下文件，它们的幻灯片显示为带叉的图片：\n"},
    {UiText::MenuAddPictures, L"&Add pictures...", L"添加图片(&A)..."},
    {UiText::MenuDelete, L"&Delete\tDel", L"删除(&D)\tDel"},
    {UiText::MenuMoveLeft, L"Move &left", L"左移(&L)"},
    {UiText::MenuMoveRight, L"Move &right", L"右移(&R)"},
    {UiText::MenuRemoveLink, L"Remove lin&k", L"移除超链接(&K)"},
    {UiText::MenuRemoveAll, L"Remove all", L"清空"},
    {UiText::MenuOpenList, L"&Open list...\tCtrl+O", L"打开列表(&O)...\tCtrl+O"},
    {UiText::MenuSaveList, L"&Save list...\tCtrl+S", L"保存列表(&S)...\tCtrl+S"},
};
} // namespace

const wchar_t *UiString(UiText id, bool bEnglish)
{
    for (const TextPair &pair : kTexts)
    {
        if (pair.id == id)
            return bEnglish ? pair.pszEnglish : pair.pszChinese;
    }
    return L"";
}

std::wstring FormatUiText(UiText id, bool bEnglish, std::initializer_list<std::wstring> args)
{
    const std::wstring pattern = UiString(id, bEnglish);
    std::wstring text;
    for (size_t i = 0; i < pattern.size(); ++i)
    {
        const wchar_t c = pattern[i];
        const size_t nArg = i + 1 < pattern.size() ? static_cast<size_t>(pattern[i + 1] - L'1') : args.size();
        if (c == L'%' && nArg < args.size())
        {
            text += *(args.begin() + nArg);
            ++i;
        }
        else
        {
            text += c;
        }
    }
    return text;
}
