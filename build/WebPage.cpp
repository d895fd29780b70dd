// The web page that plays a movie through the Ruffle web player, and its publishing beside the movie.
#include "build/WebPage.h"

#include "base/FileReplacement.h"
#include "base/FileUtf8.h"
#include "base/Path.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace
{
std::string U8(const fs::path &path)
{
    auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

// True when both files exist and hold the same bytes.
bool SameContent(const std::string &a, const std::string &b)
{
    FILE *fa = OpenFileUtf8(a.c_str(), "rb");
    FILE *fb = fa ? OpenFileUtf8(b.c_str(), "rb") : nullptr;
    const int64_t size = fb ? FileSize64(fa) : -1;
    bool same = size >= 0 && size == FileSize64(fb);
    std::vector<char> bufferA(1 << 16), bufferB(1 << 16);
    while (same)
    {
        size_t na = std::fread(bufferA.data(), 1, bufferA.size(), fa);
        size_t nb = std::fread(bufferB.data(), 1, bufferB.size(), fb);
        same = na == nb && std::memcmp(bufferA.data(), bufferB.data(), na) == 0 && !std::ferror(fa) && !std::ferror(fb);
        if (na < bufferA.size())
            break;
    }
    if (fa)
        std::fclose(fa);
    if (fb)
        std::fclose(fb);
    return same;
}

// Sorted names of the regular files in a folder.
std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(fs::u8path(folder), ec), end; !ec && it != end; it.increment(ec))
    {
        if (it->is_regular_file(ec))
            names.push_back(U8(it->path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

const char kPageHead[] = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>)";

// The stage and the notes under it form one column, centred while it fits the window; a stage wider
// or taller than the window starts at its edge instead of being cut off.
const char kPageStyle[] = R"(</title>
<style>
html { background: #fff; color: #222; }
body { margin: 0; min-height: 100vh; display: flex; flex-direction: column; font: 16px/1.5 sans-serif; }
#stage { flex: none; margin: auto auto 0; }
#stage > * { display: block; width: 100%; height: 100%; }
.notes { margin: 0 auto auto; padding: 0.5em 1em; max-width: 40em; text-align: center; }
#stage[hidden] + .notes { margin-top: auto; }
</style>
</head>
<body>
)";

const char kPageScript[] = R"(<script src="ruffle/ruffle.js"></script>
<script>
"use strict";
window.addEventListener("DOMContentLoaded", function () {
    var stage = document.getElementById("stage");
    function fail() {
        stage.hidden = true;
        document.getElementById("failure").hidden = false;
    }
    try {
        var player = window.RufflePlayer.newest().createPlayer();
        stage.appendChild(player);
        // allowScriptAccess lets a slide's link open its address in this window.
        player.ruffle().load({
            url: new URL(stage.dataset.movie, document.baseURI).href,
            allowScriptAccess: true,
            autoplay: "on",
            splashScreen: false,
            letterbox: "on",
            unmuteOverlay: "hidden",
            preferredRenderer: "webgl"
        }).catch(fail);
    } catch (e) {
        fail();
    }
});
</script>
</body>
</html>
)";
} // namespace

std::string EscapeHtml(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
    {
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string EncodeUrlFileName(const std::string &fileName)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : fileName)
    {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~')
            out += static_cast<char>(c);
        else
        {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string MakeWebPage(const std::string &movieFileName, int nWidth, int nHeight)
{
    const std::string title = U8(fs::u8path(movieFileName).stem());
    const std::string href = EscapeHtml(EncodeUrlFileName(movieFileName));
    const std::string size = "width: " + std::to_string(nWidth) + "px; height: " + std::to_string(nHeight) + "px";
    std::string page = kPageHead;
    page += EscapeHtml(title.empty() ? movieFileName : title);
    page += kPageStyle;
    page += "<div id=\"stage\" style=\"" + size + "\" data-movie=\"" + href + "\"></div>\n";
    page += "<div class=\"notes\">\n";
    page += "<noscript><p>This page needs JavaScript to play the movie.</p></noscript>\n";
    page += "<p id=\"failure\" hidden>The player could not start. Open this page from a web server, with the "
            "ruffle folder beside it: browsers do not run the player from a file on this computer.</p>\n";
    page += "<p><a href=\"" + href + "\" download>Download the movie (" + EscapeHtml(movieFileName) + ")</a></p>\n";
    page += "</div>\n";
    page += kPageScript;
    return page;
}

bool IsWebPagePath(const std::string &path)
{
    std::string extension = U8(fs::u8path(path).extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return extension == ".html" || extension == ".htm";
}

std::string ReplaceExtension(const std::string &path, const std::string &extension)
{
    return U8(fs::u8path(path).replace_extension(fs::u8path(extension)));
}

std::string WebPlayerFolderBeside(const std::string &programPath)
{
    return JoinPath(FolderOf(programPath), kWebPlayerFolder);
}

bool HasWebPlayerFiles(const std::string &playerFolder)
{
    if (playerFolder.empty())
        return false;
    const std::vector<std::string> names = FilesIn(playerFolder);
    bool loader = std::find(names.begin(), names.end(), "ruffle.js") != names.end();
    bool modules = std::any_of(names.begin(), names.end(), [](const std::string &name) {
        return name.size() > 5 && name.compare(name.size() - 5, 5, ".wasm") == 0;
    });
    return loader && modules;
}

bool PublishWebPage(const std::string &playerFolder, const std::string &moviePath, const std::string &pagePath,
                    int nWidth, int nHeight, std::string &error)
{
    if (!HasWebPlayerFiles(playerFolder))
    {
        error = "the web player files are missing from " + playerFolder;
        return false;
    }
    const std::string folder = JoinPath(FolderOf(moviePath), kWebPlayerFolder);
    std::error_code ec, ecFolder;
    fs::create_directory(fs::u8path(folder), ec);
    if (!fs::is_directory(fs::u8path(folder), ecFolder))
    {
        error = "cannot make the folder " + folder + ": " + (ec ? ec.message() : "a file of that name is in the way");
        return false;
    }
    for (const std::string &name : FilesIn(playerFolder))
    {
        const std::string from = JoinPath(playerFolder, name), to = JoinPath(folder, name);
        if (!SameContent(from, to) && !CopyFileReplaceUtf8(from.c_str(), to.c_str(), error))
            return false;
    }
    const std::string page = MakeWebPage(FileNameOf(moviePath), nWidth, nHeight);
    std::string reason;
    if (!WriteFileReplacingUtf8(pagePath.c_str(), page.data(), page.size(), reason))
    {
        error = "cannot write " + pagePath + ": " + reason;
        return false;
    }
    return true;
}
