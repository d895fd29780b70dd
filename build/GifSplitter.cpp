// GIF splitting for the add command.
#include "build/GifSplitter.h"

#include "base/FileUtf8.h"
#include "base/Path.h"
#include "base/PrivateFolder.h"
#include "base/Utf8.h"
#include "imaging/Picture.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace
{
const char kFrameFolderPrefix[] = "brivelle-frames-";
} // namespace

GifSplit SplitAnimatedGif(const std::wstring &folder, const std::wstring &fileName, const std::wstring &tempFolder)
{
    GifSplit split;
    CPicture picture(0);
    picture.SetRetreiveAllFrames(true);
    if (!picture.Load(Utf8FromWide(folder + fileName).c_str(), 2))
    {
        split.strError = picture.GetLastError();
        return split;
    }
    split.bLoaded = true;
    if (picture.GetNumFrames() < 2)
    {
        split.slides.push_back({folder, fileName, std::wstring()});
        return split;
    }

    std::string folderUtf8, error;
    if (!MakePrivateFolder(Utf8FromWide(tempFolder), kFrameFolderPrefix, folderUtf8, error))
    {
        split.frameErrors.push_back(Utf8FromWide(fileName) + ": cannot make a folder for its frames in " +
                                    Utf8FromWide(tempFolder) + " (" + error + ")");
        return split;
    }
    const std::wstring frameFolder = WideFromUtf8(folderUtf8);
    const std::wstring base = fileName.size() >= 4 ? fileName.substr(0, fileName.size() - 4) : std::wstring();
    for (int j = 0; j < picture.GetNumFrames(); ++j)
    {
        std::wstring name = base + L"_frame" + std::to_wstring(j) + L".gif";
        std::wstring origin = folder + fileName + L", frame " + std::to_wstring(j);
        CPicture *frame = picture.GetFrame(j);
        if (!frame)
        {
            // Frames are composed in order, so none after a damaged one can be had.
            const int last = picture.GetNumFrames() - 1;
            split.frameErrors.push_back(picture.GetLastError() + " (frame" +
                                        (j < last ? "s " + std::to_string(j) + " to " : " ") + std::to_string(last) +
                                        " left out)");
            break;
        }
        std::wstring path = JoinPath(frameFolder, name);
        std::string target = Utf8FromWide(path);
        if (!frame->Save(target.c_str(), 2))
        {
            // The frame file's name is the run's own business: the message names the GIF and the frame.
            std::string why = frame->GetLastError();
            if (why.compare(0, target.size() + 2, target + ": ") == 0)
                why.erase(0, target.size() + 2);
            split.frameErrors.push_back(Utf8FromWide(origin) + ": cannot be saved in the temporary folder (" + why +
                                        ")");
            continue;
        }
        split.frameFiles.push_back(path);
        split.slides.push_back({frameFolder, name, std::wstring(), origin});
    }
    if (split.frameFiles.empty())
    {
        std::error_code ec;
        fs::remove(fs::u8path(Utf8FromWide(frameFolder)), ec);
    }
    return split;
}

void DeleteFrameFiles(const std::vector<std::wstring> &frameFiles)
{
    for (const std::wstring &path : frameFiles)
    {
        if (LowerExtensionOf(path) != L"gif")
            continue;
        std::string u8 = Utf8FromWide(path);
        if (PathExistsUtf8(u8.c_str()))
            RemoveFileUtf8(u8.c_str());
        // The frame folder goes with its last file; remove() leaves a folder that is not empty.
        std::error_code ec;
        fs::path parent = fs::u8path(u8).parent_path();
        if (parent.filename().u8string().rfind(kFrameFolderPrefix, 0) == 0)
            fs::remove(parent, ec);
    }
}
