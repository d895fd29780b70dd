// Shared set-up of the player tests.
#include "preview/PreviewTestSupport.h"

#include "base/Utf8.h"
#include "bench/pictures/SamplePictures.h"
#include "imaging/Resample.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

void CTestBits::Bits(uint32_t value, unsigned count)
{
    for (unsigned i = count; i-- > 0;)
    {
        if (m_uUsed == 0)
            m_data.push_back('\0');
        if ((value >> i) & 1)
            m_data.back() = static_cast<char>(static_cast<uint8_t>(m_data.back()) | (0x80 >> m_uUsed));
        m_uUsed = (m_uUsed + 1) % 8;
    }
}

void CTestBits::Align()
{
    m_uUsed = 0;
}

void CTestBits::U8(unsigned v)
{
    Align();
    m_data.push_back(static_cast<char>(v & 0xFF));
}

void CTestBits::U16(unsigned v)
{
    U8(v);
    U8(v >> 8);
}

void CTestBits::U32(uint32_t v)
{
    U16(v & 0xFFFF);
    U16(v >> 16);
}

void CTestBits::Bytes(const std::string &bytes)
{
    Align();
    m_data += bytes;
}

unsigned TestSignedBits(std::initializer_list<int32_t> values)
{
    int64_t largest = 0;
    for (int32_t v : values)
        largest = std::max<int64_t>(largest, v < 0 ? -static_cast<int64_t>(v) - 1 : v);
    unsigned bits = 1;
    while ((int64_t(1) << (bits - 1)) <= largest)
        ++bits;
    return bits;
}

std::string TestMatrix(double scaleX, double scaleY, int32_t tx, int32_t ty, double skew0, double skew1)
{
    CTestBits b;
    const int32_t sx = static_cast<int32_t>(std::lround(scaleX * 65536)),
                  sy = static_cast<int32_t>(std::lround(scaleY * 65536));
    const int32_t r0 = static_cast<int32_t>(std::lround(skew0 * 65536)),
                  r1 = static_cast<int32_t>(std::lround(skew1 * 65536));
    const bool scale = sx != 65536 || sy != 65536;
    b.Bits(scale, 1);
    if (scale)
    {
        const unsigned n = TestSignedBits({sx, sy});
        b.Bits(n, 5);
        b.SBits(sx, n);
        b.SBits(sy, n);
    }
    const bool rotate = r0 != 0 || r1 != 0;
    b.Bits(rotate, 1);
    if (rotate)
    {
        const unsigned n = TestSignedBits({r0, r1});
        b.Bits(n, 5);
        b.SBits(r0, n);
        b.SBits(r1, n);
    }
    const unsigned n = (tx || ty) ? TestSignedBits({tx, ty}) : 0;
    b.Bits(n, 5);
    b.SBits(tx, n);
    b.SBits(ty, n);
    return b.Data();
}

std::string TestTag(unsigned code, const std::string &body, bool forceLong)
{
    CTestBits b;
    if (body.size() < 63 && !forceLong)
        b.U16((code << 6) | static_cast<unsigned>(body.size()));
    else
    {
        b.U16((code << 6) | 0x3F);
        b.U32(static_cast<uint32_t>(body.size()));
    }
    b.Bytes(body);
    return b.Data();
}

std::string TestMovie(int widthPx, int heightPx, const std::string &tags, int frameRate, int frameCount)
{
    if (frameCount < 0)
    {
        // Count ShowFrame tags by walking the headers.
        frameCount = 0;
        size_t at = 0;
        while (at + 2 <= tags.size())
        {
            const unsigned word = static_cast<uint8_t>(tags[at]) | (static_cast<uint8_t>(tags[at + 1]) << 8);
            size_t length = word & 0x3F, header = 2;
            if (length == 0x3F && at + 6 <= tags.size())
            {
                length = static_cast<uint8_t>(tags[at + 2]) | (static_cast<uint8_t>(tags[at + 3]) << 8) |
                         (static_cast<uint8_t>(tags[at + 4]) << 16) |
                         (static_cast<size_t>(static_cast<uint8_t>(tags[at + 5])) << 24);
                header = 6;
            }
            if ((word >> 6) == 1)
                ++frameCount;
            at += header + length;
        }
    }
    CTestBits rect;
    const int32_t w = widthPx * 20, h = heightPx * 20;
    const unsigned n = TestSignedBits({w, h});
    rect.Bits(n, 5);
    rect.SBits(0, n);
    rect.SBits(w, n);
    rect.SBits(0, n);
    rect.SBits(h, n);
    CTestBits body;
    body.Bytes(rect.Data());
    body.U16(static_cast<unsigned>(frameRate) << 8);
    body.U16(static_cast<unsigned>(frameCount));
    body.Bytes(tags);
    body.U16(0);
    CTestBits file;
    file.Bytes("FWS");
    file.U8(3);
    file.U32(static_cast<uint32_t>(8 + body.Data().size()));
    file.Bytes(body.Data());
    return file.Data();
}

std::string TestCompress(const std::string &fws)
{
    uLongf size = compressBound(static_cast<uLong>(fws.size() - 8));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef *>(&out[0]), &size, reinterpret_cast<const Bytef *>(fws.data() + 8),
             static_cast<uLong>(fws.size() - 8));
    out.resize(size);
    return "CWS" + fws.substr(3, 5) + out;
}

CTestShape::CTestShape(int version, uint16_t id, int32_t xmin, int32_t ymin, int32_t xmax, int32_t ymax)
    : m_nVersion(version), m_uId(id), m_bounds{xmin, xmax, ymin, ymax}, m_fills(1), m_lines(1)
{
}

void CTestShape::NewStyleGroup()
{
    m_fills.emplace_back();
    m_lines.emplace_back();
    m_ops.push_back({4, static_cast<int32_t>(m_fills.size() - 1), 0, 0, 0});
}

int CTestShape::Solid(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    std::string s = {'\0', static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)};
    if (m_nVersion >= 3)
        s += static_cast<char>(a);
    m_fills.back().push_back(s);
    return static_cast<int>(m_fills.back().size());
}

int CTestShape::BitmapFill(uint16_t bitmapId, uint8_t type, const std::string &matrix)
{
    CTestBits b;
    b.U8(type);
    b.U16(bitmapId);
    b.Bytes(matrix);
    m_fills.back().push_back(b.Data());
    return static_cast<int>(m_fills.back().size());
}

int CTestShape::LinearGradient(const std::string &matrix, std::initializer_list<std::pair<uint8_t, uint32_t>> stops)
{
    CTestBits b;
    b.U8(0x10);
    b.Bytes(matrix);
    b.U8(static_cast<unsigned>(stops.size()));
    for (const auto &stop : stops)
    {
        b.U8(stop.first);
        b.U8(stop.second >> 16);
        b.U8(stop.second >> 8);
        b.U8(stop.second);
        if (m_nVersion >= 3)
            b.U8(255);
    }
    m_fills.back().push_back(b.Data());
    return static_cast<int>(m_fills.back().size());
}

int CTestShape::Line(uint16_t widthTwips, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    CTestBits bits;
    bits.U16(widthTwips);
    bits.U8(r);
    bits.U8(g);
    bits.U8(b);
    if (m_nVersion >= 3)
        bits.U8(a);
    m_lines.back().push_back(bits.Data());
    return static_cast<int>(m_lines.back().size());
}

void CTestShape::Style(int fill0, int fill1, int line)
{
    m_ops.push_back({0, fill0, fill1, line, 0});
}

void CTestShape::MoveTo(int32_t x, int32_t y)
{
    m_ops.push_back({1, x, y, 0, 0});
}

void CTestShape::LineBy(int32_t dx, int32_t dy)
{
    m_ops.push_back({2, dx, dy, 0, 0});
}

void CTestShape::CurveBy(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady)
{
    m_ops.push_back({3, cdx, cdy, adx, ady});
}

void CTestShape::Rectangle(int32_t x, int32_t y, int32_t w, int32_t h)
{
    MoveTo(x, y);
    LineBy(w, 0);
    LineBy(0, h);
    LineBy(-w, 0);
    LineBy(0, -h);
}

std::string CTestShape::Body() const
{
    auto styleBits = [](size_t count) {
        unsigned bits = 0;
        while ((size_t(1) << bits) <= count)
            ++bits;
        return count ? bits : 0u;
    };
    auto putArrays = [&](CTestBits &b, size_t group) {
        b.U8(static_cast<unsigned>(m_fills[group].size()));
        for (const std::string &f : m_fills[group])
            b.Bytes(f);
        b.U8(static_cast<unsigned>(m_lines[group].size()));
        for (const std::string &l : m_lines[group])
            b.Bytes(l);
        b.Bits(styleBits(m_fills[group].size()), 4);
        b.Bits(styleBits(m_lines[group].size()), 4);
    };
    unsigned fillBits = styleBits(m_fills[0].size()), lineBits = styleBits(m_lines[0].size());
    CTestBits b;
    b.U16(m_uId);
    const unsigned n = TestSignedBits({m_bounds[0], m_bounds[1], m_bounds[2], m_bounds[3]});
    b.Bits(n, 5);
    for (int32_t v : m_bounds)
        b.SBits(v, n);
    putArrays(b, 0);
    for (const Op &op : m_ops)
    {
        switch (op.kind)
        {
        case 0:
            b.Bits(0, 1);
            b.Bits(0, 1);         // new styles
            b.Bits(op.c >= 0, 1); // line
            b.Bits(op.b >= 0, 1); // fill1
            b.Bits(op.a >= 0, 1); // fill0
            b.Bits(0, 1);         // move
            if (op.a >= 0)
                b.Bits(static_cast<uint32_t>(op.a), fillBits);
            if (op.b >= 0)
                b.Bits(static_cast<uint32_t>(op.b), fillBits);
            if (op.c >= 0)
                b.Bits(static_cast<uint32_t>(op.c), lineBits);
            break;
        case 1: {
            // TypeFlag 0 and the five state bits with only move-to set.
            b.Bits(1, 6);
            const unsigned bits = TestSignedBits({op.a, op.b});
            b.Bits(bits, 5);
            b.SBits(op.a, bits);
            b.SBits(op.b, bits);
            break;
        }
        case 2: {
            const unsigned bits = std::max(2u, TestSignedBits({op.a, op.b}));
            b.Bits(1, 1);
            b.Bits(1, 1);
            b.Bits(bits - 2, 4);
            b.Bits(1, 1);
            b.SBits(op.a, bits);
            b.SBits(op.b, bits);
            break;
        }
        case 4: {
            const size_t group = static_cast<size_t>(op.a);
            b.Bits(0x10, 6); // TypeFlag 0, StateNewStyles
            b.Align();
            putArrays(b, group);
            fillBits = styleBits(m_fills[group].size());
            lineBits = styleBits(m_lines[group].size());
            break;
        }
        default: {
            const unsigned bits = std::max(2u, TestSignedBits({op.a, op.b, op.c, op.d}));
            b.Bits(1, 1);
            b.Bits(0, 1);
            b.Bits(bits - 2, 4);
            b.SBits(op.a, bits);
            b.SBits(op.b, bits);
            b.SBits(op.c, bits);
            b.SBits(op.d, bits);
            break;
        }
        }
    }
    b.Bits(0, 6);
    return b.Data();
}

std::string CTestShape::Tag() const
{
    return TestTag(m_nVersion == 1 ? 2 : m_nVersion == 2 ? 22 : 32, Body(), true);
}

std::string TestButton2(uint16_t id, std::initializer_list<TestButtonRecord> records, const char *url,
                        const char *target)
{
    CTestBits recs;
    for (const TestButtonRecord &r : records)
    {
        recs.U8(r.states);
        recs.U16(r.characterId);
        recs.U16(r.depth);
        recs.U8(0);      // identity matrix
        recs.Bits(0, 2); // no add, no mult terms
        recs.Bits(1, 4);
        recs.Align();
    }
    recs.U8(0);
    CTestBits b;
    b.U16(id);
    b.U8(0);
    if (!url)
    {
        b.U16(0);
        b.Bytes(recs.Data());
        return TestTag(34, b.Data(), true);
    }
    b.U16(static_cast<unsigned>(2 + recs.Data().size()));
    b.Bytes(recs.Data());
    const std::string u = url, t = target;
    b.U16(0);
    b.U8(0x04);
    b.U8(0x01);
    b.U8(0x83);
    b.U16(static_cast<unsigned>(u.size() + t.size() + 2));
    b.Bytes(u + '\0' + t + '\0');
    b.U8(0);
    return TestTag(34, b.Data(), true);
}

std::string TestPlace(uint16_t depth, uint16_t id, const std::string &matrix)
{
    CTestBits b;
    b.U8(0x02 | (matrix.empty() ? 0 : 0x04));
    b.U16(depth);
    b.U16(id);
    b.Bytes(matrix);
    return TestTag(26, b.Data(), true);
}

std::string TestMove(uint16_t depth, const std::string &matrix, uint16_t id)
{
    CTestBits b;
    b.U8(0x01 | 0x04 | (id ? 0x02 : 0));
    b.U16(depth);
    if (id)
        b.U16(id);
    b.Bytes(matrix);
    return TestTag(26, b.Data(), true);
}

std::string TestPlace1(uint16_t depth, uint16_t id, const std::string &matrix)
{
    CTestBits b;
    b.U16(id);
    b.U16(depth);
    b.Bytes(matrix);
    return TestTag(4, b.Data());
}

std::string TestPlaceCx(uint16_t depth, uint16_t id, std::initializer_list<int> mult, std::initializer_list<int> add)
{
    CTestBits b;
    b.U8(0x02 | 0x08);
    b.U16(depth);
    b.U16(id);
    b.Bits(1, 1);
    b.Bits(1, 1);
    b.Bits(15, 4);
    for (int v : mult)
        b.SBits(v, 15);
    for (int v : add)
        b.SBits(v, 15);
    return TestTag(26, b.Data(), true);
}

std::string TestRemove(uint16_t depth, uint16_t id)
{
    CTestBits b;
    b.U16(id);
    b.U16(depth);
    return TestTag(5, b.Data());
}

std::string TestRemove2(uint16_t depth)
{
    CTestBits b;
    b.U16(depth);
    return TestTag(28, b.Data());
}

std::string TestShowFrame()
{
    return TestTag(1, std::string());
}

std::string TestBackground(uint8_t r, uint8_t g, uint8_t b)
{
    return TestTag(9, std::string{static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)});
}

std::string TestDoGetUrl(const char *url, const char *target)
{
    CTestBits b;
    const std::string u = url, t = target;
    b.U8(0x83);
    b.U16(static_cast<unsigned>(u.size() + t.size() + 2));
    b.Bytes(u + '\0' + t + '\0');
    b.U8(0);
    return TestTag(12, b.Data());
}

std::string TestDoStop()
{
    return TestTag(12, std::string("\x07\x00", 2));
}

std::string TestLossless(uint16_t id, const Raster &picture)
{
    std::string pixels;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
        {
            pixels += static_cast<char>(0xFF);
            for (int c = 0; c < 3; ++c)
                pixels += static_cast<char>(picture.Row(y)[3 * x + c]);
        }
    uLongf size = compressBound(static_cast<uLong>(pixels.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef *>(&packed[0]), &size, reinterpret_cast<const Bytef *>(pixels.data()),
             static_cast<uLong>(pixels.size()));
    packed.resize(size);
    CTestBits b;
    b.U16(id);
    b.U8(5);
    b.U16(static_cast<unsigned>(picture.width));
    b.U16(static_cast<unsigned>(picture.height));
    b.Bytes(packed);
    return TestTag(20, b.Data(), true);
}

namespace
{
std::string Deflated(const std::string &bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef *>(&packed[0]), &size, reinterpret_cast<const Bytef *>(bytes.data()),
             static_cast<uLong>(bytes.size()));
    packed.resize(size);
    return packed;
}
} // namespace

std::string TestLossless2(uint16_t id, int width, int height, const std::string &argb)
{
    CTestBits b;
    b.U16(id);
    b.U8(5);
    b.U16(static_cast<unsigned>(width));
    b.U16(static_cast<unsigned>(height));
    b.Bytes(Deflated(argb));
    return TestTag(36, b.Data(), true);
}

std::string TestJpeg3(uint16_t id, const std::string &jpegData, const std::string &alpha)
{
    CTestBits b;
    b.U16(id);
    b.U32(static_cast<uint32_t>(jpegData.size()));
    b.Bytes(jpegData);
    b.Bytes(Deflated(alpha));
    return TestTag(35, b.Data(), true);
}

std::string TestJpeg2(uint16_t id, const std::string &jpegData)
{
    CTestBits b;
    b.U16(id);
    b.Bytes(jpegData);
    return TestTag(21, b.Data(), true);
}

CPreviewFixture::CPreviewFixture()
{
    fs::create_directory(m_dir.Path() / "tmp");
}

ImageItem CPreviewFixture::Slide(const std::string &name, const Raster &picture, const std::wstring &url)
{
    const std::string path = m_dir.File(name);
    EXPECT_TRUE(WriteBmp(path, picture)) << path;
    const size_t cut = path.find_last_of("/\\");
    return {WideFromUtf8(path.substr(0, cut + 1)), WideFromUtf8(path.substr(cut + 1)), url};
}

std::string CPreviewFixture::Build(const std::vector<ImageItem> &slides, int width, int height, bool fpsMode, int rate,
                                   int delay)
{
    BuildJob job;
    job.slides = slides;
    job.settings.nWidth = width;
    job.settings.nHeight = height;
    job.settings.bFpsMode = fpsMode;
    job.settings.nFps = rate;
    job.settings.nDelay = delay;
    job.strTempMovie = m_dir.File("movie" + std::to_string(++m_nMovies) + ".swf");
    job.nJobs = 1;
    const BuildReport report = BuildMovieFile(job);
    EXPECT_EQ(report.nResult, 1) << report.strError;
    return job.strTempMovie;
}

std::vector<uint8_t> ToBytes(const std::string &bytes)
{
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

double PsnrOf(const Raster &a, const Raster &b, int left, int top)
{
    double sum = 0;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            for (int c = 0; c < 3; ++c)
            {
                const double d = static_cast<double>(a.Row(y + top)[3 * (x + left) + c]) - b.Row(y)[3 * x + c];
                sum += d * d;
            }
    const double mse = sum / (3.0 * b.width * b.height);
    return mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

uint32_t PixelRgb(const Raster &r, int x, int y)
{
    const uint8_t *p = r.Row(y) + 3 * x;
    return Rgb24(p[0], p[1], p[2]);
}

Raster Resampled(const Raster &picture, int width, int height)
{
    Raster out;
    EXPECT_TRUE(ResampleRaster(picture, width, height, out));
    return out;
}
