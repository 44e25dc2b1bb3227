#include "GifPalette.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int ColourCount = 1 << 15;

int channel(int colour, int axis)
{
    return (colour >> (10 - 5 * axis)) & 31;
}

// Five bits widened to eight, so that 31 is full white.
quint32 widened(double fiveBit)
{
    return quint32(std::lround(fiveBit * 255.0 / 31.0));
}

} // namespace

// The colours of one box of colour space, the pixels counted in them.
struct GifPalette::Box
{
    std::vector<int> colours;
    quint64 pixels = 0;

    // The side it spans most, and by how much.
    int longestAxis(int *span) const
    {
        int best = 0;
        *span = -1;
        for (int axis = 0; axis < 3; ++axis) {
            int low = 31, high = 0;
            for (int c : colours) {
                low = std::min(low, channel(c, axis));
                high = std::max(high, channel(c, axis));
            }
            if (high - low > *span) {
                *span = high - low;
                best = axis;
            }
        }
        return best;
    }

    double priority() const
    {
        int span = 0;
        longestAxis(&span);
        return colours.size() < 2 ? -1 : span * std::log2(1.0 + double(pixels));
    }
};

GifPalette::GifPalette()
    : m_counts(ColourCount, 0)
    , m_index(ColourCount, 0)
{
}

void GifPalette::add(const quint16 *colours, int count, int times)
{
    for (int i = 0; i < count; ++i)
        m_counts[colours[i]] += quint64(times);
}

bool GifPalette::isEmpty() const
{
    return std::all_of(m_counts.begin(), m_counts.end(), [](quint64 n) { return n == 0; });
}

// The box of the highest priority cut at the median of its pixels along its
// longest side.
void GifPalette::split(std::vector<Box> &boxes) const
{
    auto widest = std::max_element(boxes.begin(), boxes.end(),
                                   [](const Box &a, const Box &b) { return a.priority() < b.priority(); });
    Box &box = *widest;
    int span = 0;
    const int axis = box.longestAxis(&span);
    std::sort(box.colours.begin(), box.colours.end(),
              [axis](int a, int b) { return channel(a, axis) < channel(b, axis); });
    quint64 below = 0;
    size_t cut = 1;
    for (; cut < box.colours.size() - 1; ++cut) {
        below += m_counts[box.colours[cut - 1]];
        if (below * 2 >= box.pixels)
            break;
    }
    Box upper;
    upper.colours.assign(box.colours.begin() + long(cut), box.colours.end());
    box.colours.resize(cut);
    box.pixels = 0;
    for (int c : box.colours)
        box.pixels += m_counts[c];
    for (int c : upper.colours)
        upper.pixels += m_counts[c];
    boxes.push_back(upper);
}

void GifPalette::build()
{
    std::vector<Box> boxes(1);
    for (int c = 0; c < ColourCount; ++c) {
        if (m_counts[c] > 0) {
            boxes[0].colours.push_back(c);
            boxes[0].pixels += m_counts[c];
        }
    }
    if (boxes[0].colours.empty())
        boxes[0].colours.push_back(0);
    while (int(boxes.size()) < MaxColours) {
        const bool splittable = std::any_of(boxes.begin(), boxes.end(), [](const Box &b) { return b.colours.size() > 1; });
        if (!splittable)
            break;
        split(boxes);
    }
    m_colours.clear();
    for (size_t i = 0; i < boxes.size(); ++i) {
        double sum[3] = {0, 0, 0};
        double weight = 0;
        for (int c : boxes[i].colours) {
            const double n = double(std::max<quint64>(m_counts[c], 1));
            for (int axis = 0; axis < 3; ++axis)
                sum[axis] += channel(c, axis) * n;
            weight += n;
            m_index[c] = uchar(i);
        }
        m_colours << (0xFF000000u | widened(sum[0] / weight) << 16 | widened(sum[1] / weight) << 8 | widened(sum[2] / weight));
    }
}
