// Damaged image files and what every one of them must survive; shared by the test loop and the long fuzz run.
#pragma once

#include "ImagingFixtures.h"
#include "support/FuzzRandom.h"

#include <string>

// The seed damaged one of the ways files are damaged: bit flips, a cut, a header lying about the size,
// overwritten or copied runs, bytes inserted or removed.
std::string MutateImage(const SeedFile &seed, CFuzzRandom &random);

// Loads the file at path as `type` (sometimes as another type or none, through content detection); a
// picture it gives is checked, converted, resampled and saved as JPEG (path jpegPath) and GIF (gifPath).
// Returns what broke ("" when all held: a failure names the file, a picture is whole). `loaded` says
// whether the file decoded.
std::string ExerciseImage(const std::string &path, int type, const std::string &jpegPath, const std::string &gifPath,
                          CFuzzRandom &random, bool &loaded);
