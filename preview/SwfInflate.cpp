// zlib inflation with a cap, for the player.
#include "preview/SwfInflate.h"

#include <algorithm>
#include <climits>
#include <new>

#include <zlib.h>

namespace
{

// Output is produced in pieces of this size and appended as it arrives.
constexpr size_t kChunkBytes = 64 * 1024;

struct InflateStream
{
    z_stream stream{};
    bool open = false;
    ~InflateStream()
    {
        if (open)
            inflateEnd(&stream);
    }
};

} // namespace

bool InflateExactly(const uint8_t *data, size_t size, size_t expected, std::vector<uint8_t> &out, std::string &error)
{
    InflateStream z;
    if (inflateInit(&z.stream) != Z_OK)
    {
        error = "the zlib decoder could not start";
        return false;
    }
    z.open = true;
    std::vector<uint8_t> result;
    std::vector<uint8_t> chunk(kChunkBytes);
    size_t inputLeft = size;
    const uint8_t *input = data;
    int status = Z_OK;
    try
    {
        while (status != Z_STREAM_END)
        {
            if (z.stream.avail_in == 0 && inputLeft > 0)
            {
                const size_t piece = std::min<size_t>(inputLeft, UINT_MAX / 2);
                z.stream.next_in = const_cast<Bytef *>(input);
                z.stream.avail_in = static_cast<uInt>(piece);
                input += piece;
                inputLeft -= piece;
            }
            z.stream.next_out = chunk.data();
            z.stream.avail_out = static_cast<uInt>(chunk.size());
            status = inflate(&z.stream, Z_NO_FLUSH);
            const size_t produced = chunk.size() - z.stream.avail_out;
            if (produced > expected - result.size())
            {
                error = "the zlib data inflates to more than the " + std::to_string(expected) + " bytes expected";
                return false;
            }
            result.insert(result.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(produced));
            // No progress: the input is used up before the stream ends.
            if (status == Z_BUF_ERROR && produced == 0)
                break;
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            {
                error = std::string("damaged zlib data (") + (z.stream.msg ? z.stream.msg : "no detail") + ")";
                return false;
            }
        }
    }
    catch (const std::bad_alloc &)
    {
        error = "not enough memory to inflate " + std::to_string(expected) + " bytes";
        return false;
    }
    if (status != Z_STREAM_END)
    {
        error =
            "the zlib data ends after " + std::to_string(result.size()) + " of " + std::to_string(expected) + " bytes";
        return false;
    }
    if (result.size() != expected)
    {
        error =
            "the zlib data inflates to " + std::to_string(result.size()) + " bytes, not " + std::to_string(expected);
        return false;
    }
    out.swap(result);
    return true;
}
