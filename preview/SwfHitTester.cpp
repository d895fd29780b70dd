// Hit testing of buttons: the winding of each fill style's outline around the point, and line proximity.
#include "preview/SwfHitTester.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

constexpr int kMaxNesting = 8;
// Path segments one hit test may examine.
constexpr size_t kMaxSegments = 2000000;
constexpr double kFlatness = 0.1;
constexpr int kMaxCurveSteps = 64;

double DistanceToSegment(double px, double py, double x0, double y0, double x1, double y1)
{
    const double dx = x1 - x0, dy = y1 - y0;
    const double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0 ? ((px - x0) * dx + (py - y0) * dy) / lengthSquared : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

} // namespace

CSwfHitTester::CSwfHitTester(const SwfMovieData &movie) : m_movie(movie)
{
}

SwfHitResult CSwfHitTester::HitTest(const CSwfDisplayList &list, int x, int y, int width, int height) const
{
    SwfHitResult result;
    const SwfStageFit fit = FitStage(m_movie.stage, width, height);
    if (!fit.bValid || x < fit.left || y < fit.top || x >= fit.left + fit.width || y >= fit.top + fit.height)
        return result;
    const double px = x + 0.5, py = y + 0.5;
    size_t budget = kMaxSegments;
    const auto &entries = list.Entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    {
        const SwfPlacement &placement = it->second;
        const SwfCharacter *character = m_movie.Find(placement.characterId);
        if (placement.bClipLayer || !character || character->kind != SwfCharacterKind::Button)
            continue;
        const SwfButtonDef &button = m_movie.buttons[character->index];
        const SwfAffine toPixels = fit.twipsToPixels.After(SwfAffine::FromMatrix(placement.matrix));
        bool inside = false;
        for (const SwfButtonRecord &record : button.records)
            if ((record.states & kSwfStateHitTest) &&
                CharacterContains(record.characterId, toPixels.After(SwfAffine::FromMatrix(record.matrix)), px, py, 1,
                                  budget))
            {
                inside = true;
                break;
            }
        if (!inside)
            continue;
        result.bButton = true;
        result.buttonId = button.id;
        result.depth = it->first;
        for (const SwfCondAction &entry : button.conditions)
        {
            if (!entry.actions.empty())
                result.bHasActions = true;
            if (result.bHasPressUrl || !(entry.cond1 & kSwfCondOverUpToOverDown))
                continue;
            for (const SwfActionRecord &action : entry.actions)
                if (action.code == static_cast<uint8_t>(SwfActionCode::GetURL))
                {
                    result.bHasPressUrl = true;
                    result.strUrl = action.strUrl;
                    result.strTarget = action.strTarget;
                    break;
                }
        }
        return result;
    }
    return result;
}

bool CSwfHitTester::CharacterContains(uint16_t id, const SwfAffine &toPixels, double px, double py, int nesting,
                                      size_t &budget) const
{
    if (nesting > kMaxNesting || budget == 0)
        return false;
    const SwfCharacter *character = m_movie.Find(id);
    if (!character)
        return false;
    if (character->kind == SwfCharacterKind::Shape)
        return ShapeContains(m_movie.shapes[character->index], toPixels, px, py, budget);
    if (character->kind != SwfCharacterKind::Button)
        return false;
    // A button within a hit area counts with its own hit area.
    for (const SwfButtonRecord &record : m_movie.buttons[character->index].records)
        if ((record.states & kSwfStateHitTest) &&
            CharacterContains(record.characterId, toPixels.After(SwfAffine::FromMatrix(record.matrix)), px, py,
                              nesting + 1, budget))
            return true;
    return false;
}

bool CSwfHitTester::ShapeContains(const SwfShapeDef &shape, const SwfAffine &m, double px, double py,
                                  size_t &budget) const
{
    std::vector<int> winding(shape.fills.size() + 1, 0);
    const double scale = std::sqrt(std::fabs(m.Determinant()));
    auto visit = [&](const SwfEdge &e, double x0, double y0, double x1, double y1) {
        if (e.fill0 != e.fill1 && ((y0 <= py && py < y1) || (y1 <= py && py < y0)))
        {
            const double xi = x0 + (py - y0) * (x1 - x0) / (y1 - y0);
            if (xi > px)
            {
                const int dir = y1 > y0 ? 1 : -1;
                if (e.fill1)
                    winding[e.fill1] += dir;
                if (e.fill0)
                    winding[e.fill0] -= dir;
            }
        }
        if (e.line)
        {
            const SwfLineStyle &line = shape.lines[e.line - 1];
            const double half = std::max(std::isfinite(scale) ? line.widthTwips * scale : 1.0, 1.0) / 2;
            if (DistanceToSegment(px, py, x0, y0, x1, y1) <= half)
                return true;
        }
        return false;
    };
    for (const SwfEdge &e : shape.edges)
    {
        if (budget == 0)
            return false;
        double x0, y0, x1, y1;
        m.Apply(e.x0, e.y0, x0, y0);
        m.Apply(e.x1, e.y1, x1, y1);
        if (!e.bCurve)
        {
            --budget;
            if (visit(e, x0, y0, x1, y1))
                return true;
            continue;
        }
        double cx, cy;
        m.Apply(e.cx, e.cy, cx, cy);
        const double dx = x0 - 2 * cx + x1, dy = y0 - 2 * cy + y1;
        const double dd = std::sqrt(dx * dx + dy * dy);
        int steps = std::isfinite(dd) ? static_cast<int>(std::clamp(std::ceil(std::sqrt(dd / (4 * kFlatness))), 1.0,
                                                                    static_cast<double>(kMaxCurveSteps)))
                                      : kMaxCurveSteps;
        steps = static_cast<int>(std::min<size_t>(static_cast<size_t>(steps), budget));
        double ax = x0, ay = y0;
        for (int s = 1; s <= steps; ++s)
        {
            const double t = static_cast<double>(s) / steps, u = 1 - t;
            const double bx = s == steps ? x1 : u * u * x0 + 2 * u * t * cx + t * t * x1;
            const double by = s == steps ? y1 : u * u * y0 + 2 * u * t * cy + t * t * y1;
            if (visit(e, ax, ay, bx, by))
                return true;
            ax = bx;
            ay = by;
        }
        budget -= static_cast<size_t>(steps);
    }
    for (size_t s = 1; s < winding.size(); ++s)
        if (winding[s] != 0)
            return true;
    return false;
}
