// CSwfRasterizer: exact area coverage of filled polygons on the pixel grid, non-zero winding, clipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Receives one row of coverage: pixels [x, x + count) of row y, coverage in [0, 1] each.
class ISwfSpanSink
{
  public:
    virtual ~ISwfSpanSink() = default;
    virtual void Span(int y, int x, int count, const float *coverage) = 0;
};

// Collects the edges of closed polygons (in any number, orientation given by the caller), then sweeps
// them band by band. A pixel's coverage is the area inside the outline, computed exactly for straight
// edges; where polygons of the same orientation overlap it is held to 1.
class CSwfRasterizer
{
  public:
    // Starts a new outline clipped to [left, right) x [top, bottom).
    void Reset(int left, int top, int right, int bottom);
    void AddLine(double x0, double y0, double x1, double y1);
    bool Empty() const
    {
        return m_lines.empty();
    }
    // Coverage of every row that has any, handed to the sink left to right; rows come top to bottom.
    void Sweep(ISwfSpanSink &sink);

  private:
    struct Line
    {
        double x0, y0, x1, y1; // y0 < y1
        float dir;             // +1 downwards as given, -1 upwards
    };

    void AccumulateRow(float *acc, double xa, double xb, double d, int &minCell, int &maxCell) const;

    int m_nLeft = 0, m_nTop = 0, m_nRight = 0, m_nBottom = 0;
    double m_fMinX = 0, m_fMaxX = 0, m_fMinY = 0, m_fMaxY = 0;
    std::vector<Line> m_lines;
    std::vector<float> m_acc;
    std::vector<float> m_coverage;
    std::vector<size_t> m_active;
    int m_nWidth = 0;
};
