// Damaged movies and what the player must survive; shared by the test loop and the long fuzz run.
#pragma once

#include "preview/PreviewTestSupport.h"
#include "preview/fuzz/ExerciseMovie.h"
#include "support/FuzzRandom.h"

#include <string>
#include <vector>

// Movies to damage: two made by the engine (FPS and delay mode), a hand-made one using every kind of
// record the reader understands, and that one compressed (damaged before it is compressed).
std::vector<std::string> MovieFuzzSeeds(CPreviewFixture &fixture);
// One damaged movie from the seeds: one to three bit flips, insertions, deletions, cuts, lying lengths
// or edge values.
std::string MutatedMovie(const std::vector<std::string> &seeds, CFuzzRandom &random);
// The movie through the player (preview/fuzz/ExerciseMovie.h).
inline std::string ExerciseMovie(const std::string &file, bool &accepted)
{
    return ExerciseMovie(reinterpret_cast<const uint8_t *>(file.data()), file.size(), accepted);
}
