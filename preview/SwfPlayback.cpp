// Loading, frame stepping, frame actions, rendering and hit testing of one movie.
#include "preview/SwfPlayback.h"

#include "base/FileUtf8.h"
#include "preview/SwfBitmapStore.h"
#include "preview/SwfMovieReader.h"
#include "preview/SwfRenderer.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace
{

// Frame URLs held for the window at most; older ones are dropped.
constexpr size_t kMaxQueuedUrls = 64;

struct FileCloser
{
    void operator()(FILE *file) const
    {
        std::fclose(file);
    }
};

} // namespace

CSwfPlayback::CSwfPlayback() = default;
CSwfPlayback::~CSwfPlayback() = default;

void CSwfPlayback::Unload()
{
    m_pRenderer.reset();
    m_pStore.reset();
    m_pMovie.reset();
    m_list.Clear();
    m_nFrame = 0;
    m_bPlaying = false;
    m_frameUrls.clear();
    m_warnings.clear();
    m_uStoreWarnings = 0;
}

bool CSwfPlayback::Load(const char *utf8Path, std::string &error)
{
    Unload();
    std::unique_ptr<FILE, FileCloser> file(OpenFileUtf8(utf8Path, "rb"));
    if (!file)
    {
        error = std::string("cannot open ") + utf8Path;
        return false;
    }
    const int64_t size = FileSize64(file.get());
    if (size < 0)
    {
        error = std::string("cannot tell the size of ") + utf8Path;
        return false;
    }
    if (static_cast<uint64_t>(size) > m_limits.uMaxFileBytes)
    {
        error = "the file is " + std::to_string(size) + " bytes long, more than the player accepts (" +
                std::to_string(m_limits.uMaxFileBytes) + ")";
        return false;
    }
    std::vector<uint8_t> bytes;
    try
    {
        bytes.resize(static_cast<size_t>(size));
    }
    catch (const std::bad_alloc &)
    {
        error = "not enough memory to read " + std::string(utf8Path);
        return false;
    }
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    {
        error = std::string("cannot read ") + utf8Path;
        return false;
    }
    return LoadMemory(std::move(bytes), error);
}

bool CSwfPlayback::LoadMemory(std::vector<uint8_t> bytes, std::string &error)
{
    Unload();
    auto movie = std::make_unique<SwfMovieData>();
    CSwfMovieReader reader(m_limits);
    if (!reader.Read(std::move(bytes), *movie, error))
        return false;
    m_pMovie = std::move(movie);
    m_warnings = m_pMovie->warnings;
    m_pStore = std::make_unique<CSwfBitmapStore>(*m_pMovie, m_limits);
    m_pRenderer = std::make_unique<CSwfRenderer>(*m_pMovie, *m_pStore, m_warnings);
    m_bPlaying = true;
    m_list.Clear();
    m_list.ApplyFrame(*m_pMovie, 0);
    m_nFrame = 0;
    RunActions(0);
    return true;
}

int CSwfPlayback::FrameCount() const
{
    return m_pMovie ? m_pMovie->FrameCount() : 0;
}

int CSwfPlayback::FrameRate256() const
{
    return m_pMovie ? m_pMovie->frameRate : 0;
}

int CSwfPlayback::FrameIntervalMs() const
{
    const int rate = FrameRate256();
    return rate > 0 ? (256000 + rate / 2) / rate : 0;
}

SwfRgb CSwfPlayback::Background() const
{
    return m_pMovie ? m_pMovie->background : SwfRgb();
}

int CSwfPlayback::StageWidthPx() const
{
    if (!m_pMovie)
        return 0;
    return static_cast<int>((static_cast<int64_t>(m_pMovie->stage.xmax) - m_pMovie->stage.xmin + 10) / 20);
}

int CSwfPlayback::StageHeightPx() const
{
    if (!m_pMovie)
        return 0;
    return static_cast<int>((static_cast<int64_t>(m_pMovie->stage.ymax) - m_pMovie->stage.ymin + 10) / 20);
}

void CSwfPlayback::Seek(int frame)
{
    if (!m_pMovie)
        return;
    frame = std::clamp(frame, 0, FrameCount() - 1);
    // Forward steps apply only the frames in between; going back replays from the first frame.
    if (frame < m_nFrame)
    {
        m_list.Clear();
        m_nFrame = -1;
    }
    for (int f = m_nFrame + 1; f <= frame; ++f)
        m_list.ApplyFrame(*m_pMovie, f);
    m_nFrame = frame;
}

void CSwfPlayback::GotoFrame(int frame)
{
    Seek(frame);
}

void CSwfPlayback::Advance()
{
    if (!m_pMovie)
        return;
    const int next = m_nFrame + 1 >= FrameCount() ? 0 : m_nFrame + 1;
    Seek(next);
    RunActions(next);
}

void CSwfPlayback::RunActions(int frame)
{
    const SwfMovieData &movie = *m_pMovie;
    int jump = -1;
    const uint32_t end = movie.frameStarts[static_cast<size_t>(frame) + 1];
    for (uint32_t i = movie.frameStarts[static_cast<size_t>(frame)]; i < end; ++i)
    {
        const SwfControlTag &tag = movie.controlTags[i];
        if (tag.kind != SwfControlKind::Actions)
            continue;
        for (const SwfActionRecord &action : movie.actionLists[tag.actionList])
        {
            switch (static_cast<SwfActionCode>(action.code))
            {
            case SwfActionCode::Stop:
                m_bPlaying = false;
                break;
            case SwfActionCode::Play:
                m_bPlaying = true;
                break;
            case SwfActionCode::NextFrame:
                jump = std::min(frame + 1, FrameCount() - 1);
                break;
            case SwfActionCode::PreviousFrame:
                jump = std::max(frame - 1, 0);
                break;
            case SwfActionCode::GotoFrame:
                jump = std::min<int>(action.frame, FrameCount() - 1);
                break;
            case SwfActionCode::GetURL:
                if (m_frameUrls.size() >= kMaxQueuedUrls)
                    m_frameUrls.erase(m_frameUrls.begin());
                m_frameUrls.push_back(action);
                break;
            default:
                break;
            }
        }
    }
    // The target frame's own actions do not run, so frames that jump to each other cannot loop here.
    if (jump >= 0)
        Seek(jump);
}

std::vector<SwfActionRecord> CSwfPlayback::TakeFrameUrls()
{
    std::vector<SwfActionRecord> urls;
    urls.swap(m_frameUrls);
    return urls;
}

void CSwfPlayback::CollectStoreWarnings() const
{
    if (!m_pStore)
        return;
    const auto &found = m_pStore->Warnings();
    for (; m_uStoreWarnings < found.size(); ++m_uStoreWarnings)
        m_warnings.push_back(found[m_uStoreWarnings]);
}

bool CSwfPlayback::Render(Raster &target, int width, int height) const
{
    if (!m_pMovie)
        return false;
    bool drawn = false;
    try
    {
        drawn = m_pRenderer->Render(m_list, target, width, height, m_bHasMargin ? &m_margin : nullptr);
    }
    catch (const std::bad_alloc &)
    {
        m_warnings.push_back("not enough memory to draw a " + std::to_string(width) + " x " + std::to_string(height) +
                             " frame");
        drawn = false;
    }
    CollectStoreWarnings();
    return drawn;
}

SwfHitResult CSwfPlayback::HitTestDetail(int x, int y, int width, int height) const
{
    if (!m_pMovie)
        return SwfHitResult();
    return CSwfHitTester(*m_pMovie).HitTest(m_list, x, y, width, height);
}

bool CSwfPlayback::HitTest(int x, int y, int width, int height, std::string &url, std::string &target) const
{
    const SwfHitResult hit = HitTestDetail(x, y, width, height);
    if (!hit.bHasPressUrl)
        return false;
    url = hit.strUrl;
    target = hit.strTarget;
    return true;
}

bool CSwfPlayback::IsOverActionButton(int x, int y, int width, int height) const
{
    return HitTestDetail(x, y, width, height).bHasActions;
}
