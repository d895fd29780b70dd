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
