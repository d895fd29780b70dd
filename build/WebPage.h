// A web page that plays a movie in today's browsers through the Ruffle web player, and publishing it
// beside the movie with the player's files.
#pragma once

#include <string>

// The player's folder: beside the programs, and beside every page, which loads it from there.
constexpr char kWebPlayerFolder[] = "ruffle";

// Text with &, <, >, " and ' replaced by character references, safe in content and in quoted attributes.
std::string EscapeHtml(const std::string &text);

// A file name as a relative address: every byte but letters, digits and -._~ percent-encoded.
std::string EncodeUrlFileName(const std::string &fileName);

// The page for a movie named movieFileName (UTF-8, in the page's folder) with a stage of nWidth x nHeight
// pixels: titled with the movie's name, the stage centred on white, a download link, a line for browsers
// without JavaScript, and a plain message when the player cannot start.
std::string MakeWebPage(const std::string &movieFileName, int nWidth, int nHeight);

// True when the file name ends in .html or .htm, in any case: a page's name, which a movie must not take.
bool IsWebPagePath(const std::string &path);

// The path with the extension of its file name replaced (or added), e.g. ".html" beside a movie.
std::string ReplaceExtension(const std::string &path, const std::string &extension);

// The player's folder beside a program, from the program's full path (UTF-8).
std::string WebPlayerFolderBeside(const std::string &programPath);

// True when the folder holds the player: ruffle.js and its WebAssembly modules.
bool HasWebPlayerFiles(const std::string &playerFolder);

// Publishes a movie that is already written: copies the player files from playerFolder into ruffle/
// beside it (a file already there with the same content is left alone), then writes the page. Each
// file is either complete or left as it was. Paths are UTF-8; the page goes in the movie's folder.
// Returns false with a message naming the file on failure.
bool PublishWebPage(const std::string &playerFolder, const std::string &moviePath, const std::string &pagePath,
                    int nWidth, int nHeight, std::string &error);
