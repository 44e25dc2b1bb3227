#ifndef GIFPALETTE_H
#define GIFPALETTE_H

#include <QVector>
#include <QtGlobal>

#include <vector>

// The palette of a GIF made for its pictures: their pixels counted in 15-bit
// colour (five bits a channel) as they come, then cut into at most 256
// boxes of colour space, each box's colour the mean of its pixels. The box
// cut next is the one spanning most on its longest side, weighted by the
// logarithm of its pixels, so that a small patch of a colour unlike the
// rest (a kit, a ball, a drawn line) is not merged into the grass.
class GifPalette
{
public:
    // A GIF's palette holds 256 entries; one is kept free, so that the
    // encoder can draw what did not change since the last picture as
    // transparent, which packs far smaller.
    static constexpr int Entries = 256;
    static constexpr int MaxColours = Entries - 1;

    // A pixel of 8-bit channels as its 15-bit colour.
    static quint16 pack(uchar r, uchar g, uchar b) { return quint16((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); }

    GifPalette();

    // Counts `count` pixels of 15-bit colours (pack()), `times` times.
    void add(const quint16 *colours, int count, int times);
    bool isEmpty() const;

    // Chooses the palette: afterwards colours() and indexOf() answer.
    void build();
    // 0xFFRRGGBB each, at most MaxColours.
    QVector<quint32> colours() const { return m_colours; }
    // The palette entry a 15-bit colour is drawn in.
    uchar indexOf(quint16 colour) const { return m_index[colour]; }

private:
    struct Box;
    void split(std::vector<Box> &boxes) const;

    std::vector<quint64> m_counts;
    QVector<quint32> m_colours;
    std::vector<uchar> m_index;
};

#endif // GIFPALETTE_H
