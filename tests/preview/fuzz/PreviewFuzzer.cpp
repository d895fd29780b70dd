// libFuzzer entry for the player: the input is read as a movie, then drawn, stepped and hit tested.
#include "ExerciseMovie.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    bool accepted = false;
    ExerciseMovie(data, size, accepted);
    return 0;
}
