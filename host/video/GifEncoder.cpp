#include "GifEncoder.h"

#include "DataUrl.h"
#include "FfmpegHandles.h"
#include "GifPalette.h"

#include <QFile>
#include <QVector>

extern "C" {
#include <libavutil/opt.h>
}

using namespace FfmpegHandles;

namespace {

// GIF times pictures in hundredths of a second.
constexpr AVRational GifTimeBase = {1, 100};

// One picture kept for the end: its 15-bit colours packed, and how many
// times in a row it shows.
struct Kept
{
    QByteArray packed;
    int times = 1;
};

} // namespace

struct GifEncoder::Private
{
    int width = 0;
    int height = 0;
    int frameRate = 0;
    QString path;
    QString error;
    bool finished = false;
    bool ok = false;
    int skipped = 0;
    GifPalette palette;
    QVector<Kept> pictures;
    QByteArray lastPacked;
    CodecContext jpegDecoder;
    Packet jpegPacket;
    Frame decoded;
    // Cached by sws_getCachedContext across pictures, so not a Scale.
    SwsContext *jpegScale = nullptr;

    ~Private() { sws_freeContext(jpegScale); }

    bool fail(const QString &why)
    {
        if (error.isEmpty())
            error = why;
        return false;
    }
    bool keep(const QVector<quint16> &colours, int times);
    bool encode();
    bool writePicture(AVCodecContext *codec, AVFormatContext *format, AVFrame *frame, const Kept &picture, qint64 pts);
    bool drain(AVCodecContext *codec, AVFormatContext *format, AVPacket *packet, bool flushing);
    bool decodeJpeg(const QByteArray &jpeg, QVector<quint16> *colours);
};

GifEncoder::GifEncoder(std::unique_ptr<Private> p)
    : d(std::move(p))
{
}

GifEncoder::~GifEncoder() = default;

std::unique_ptr<GifEncoder> GifEncoder::create(int width, int height, int frameRate, const QString &outputPath,
                                               QString *error)
{
    if (width <= 0 || height <= 0 || frameRate <= 0) {
        *error = QStringLiteral("a GIF of %1 × %2 at %3 pictures a second cannot be made").arg(width).arg(height).arg(frameRate);
        return nullptr;
    }
    if (!avcodec_find_encoder(AV_CODEC_ID_GIF) || !av_guess_format("gif", nullptr, nullptr)) {
        *error = QStringLiteral("this FFmpeg cannot write GIF files");
        return nullptr;
    }
    // Known now rather than after every picture is drawn.
    QFile probe(outputPath);
    if (!probe.open(QIODevice::WriteOnly)) {
        *error = probe.errorString();
        return nullptr;
    }
    probe.close();
    std::unique_ptr<Private> p(new Private);
    p->width = width;
    p->height = height;
    p->frameRate = frameRate;
    p->path = outputPath;
    return std::unique_ptr<GifEncoder>(new GifEncoder(std::move(p)));
}

int GifEncoder::width() const { return d->width; }
int GifEncoder::height() const { return d->height; }
int GifEncoder::skippedPictures() const { return d->skipped; }
QString GifEncoder::errorString() const { return d->error; }

bool GifEncoder::writePixels(const QByteArray &rgba, int times)
{
    if (!d->error.isEmpty() || d->finished)
        return false;
    if (rgba.size() != d->width * d->height * 4 || times < 1) {
        ++d->skipped;
        return true;
    }
    QVector<quint16> colours(d->width * d->height);
    const auto *pixel = reinterpret_cast<const uchar *>(rgba.constData());
    for (int i = 0; i < colours.size(); ++i, pixel += 4)
        colours[i] = GifPalette::pack(pixel[0], pixel[1], pixel[2]);
    return d->keep(colours, times);
}

// A run of the same picture (a held step, the last frame's hold) is kept
// once, for longer.
bool GifEncoder::Private::keep(const QVector<quint16> &colours, int times)
{
    const QByteArray raw(reinterpret_cast<const char *>(colours.constData()), colours.size() * int(sizeof(quint16)));
    palette.add(colours.constData(), colours.size(), times);
    if (!pictures.isEmpty() && raw == lastPacked) {
        pictures.last().times += times;
        return true;
    }
    lastPacked = raw;
    // Pitches are large areas of one colour: packed, a picture takes a few
    // kilobytes rather than a third of a megabyte.
    pictures.append({qCompress(raw, 1), times});
    return true;
}

bool GifEncoder::writeJpegDataUrl(const QString &dataUrl, int times)
{
    if (!d->error.isEmpty() || d->finished)
        return false;
    QVector<quint16> colours;
    if (!d->decodeJpeg(DataUrl::payload(dataUrl), &colours)) {
        ++d->skipped;
        return d->error.isEmpty();
    }
    return d->keep(colours, times);
}

// The decoder is opened with the first JPEG and kept for the others.
bool GifEncoder::Private::decodeJpeg(const QByteArray &jpeg, QVector<quint16> *colours)
{
    if (!jpegDecoder) {
        const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
        CodecContext decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
        if (!decoder || avcodec_open2(decoder.get(), codec, nullptr) < 0)
            return fail(QStringLiteral("the JPEG decoder could not be opened"));
        jpegDecoder = std::move(decoder);
        jpegPacket.reset(av_packet_alloc());
        decoded.reset(av_frame_alloc());
        if (!jpegPacket || !decoded)
            return fail(QStringLiteral("out of memory"));
    }
    AVFrame *frame = decoded.get();
    jpegPacket->data = reinterpret_cast<uint8_t *>(const_cast<char *>(jpeg.constData()));
    jpegPacket->size = jpeg.size();
    if (avcodec_send_packet(jpegDecoder.get(), jpegPacket.get()) < 0 || avcodec_receive_frame(jpegDecoder.get(), frame) < 0)
        return false;
    if (frame->width != width || frame->height != height)
        return false;
    jpegScale = sws_getCachedContext(jpegScale, width, height, AVPixelFormat(frame->format), width, height,
                                     AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!jpegScale)
        return false;
    QByteArray rgb(width * height * 3, Qt::Uninitialized);
    uint8_t *planes[1] = {reinterpret_cast<uint8_t *>(rgb.data())};
    const int strides[1] = {width * 3};
    sws_scale(jpegScale, frame->data, frame->linesize, 0, height, planes, strides);
    colours->resize(width * height);
    const auto *pixel = reinterpret_cast<const uchar *>(rgb.constData());
    for (int i = 0; i < colours->size(); ++i, pixel += 3)
        (*colours)[i] = GifPalette::pack(pixel[0], pixel[1], pixel[2]);
    return true;
}

int GifEncoder::paletteSize() const
{
    GifPalette copy = d->palette;
    copy.build();
    return copy.colours().size();
}

bool GifEncoder::finish()
{
    if (d->finished)
        return d->ok;
    d->finished = true;
    if (d->error.isEmpty() && d->pictures.isEmpty())
        d->fail(QStringLiteral("there were no pictures to write"));
    d->ok = d->error.isEmpty() && d->encode();
    d->pictures.clear();
    if (!d->ok)
        QFile::remove(d->path);
    return d->ok;
}

bool GifEncoder::Private::encode()
{
    palette.build();
    const AVCodec *gif = avcodec_find_encoder(AV_CODEC_ID_GIF);
    AVFormatContext *raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, "gif", QFile::encodeName(path).constData()) < 0 || !raw)
        return fail(QStringLiteral("the GIF file could not be set up"));
    FormatContext format(raw);
    CodecContext codec(avcodec_alloc_context3(gif));
    AVStream *stream = avformat_new_stream(format.get(), nullptr);
    Frame frame(av_frame_alloc());
    if (!codec || !stream || !frame)
        return fail(QStringLiteral("out of memory"));
    codec->width = width;
    codec->height = height;
    codec->pix_fmt = AV_PIX_FMT_PAL8;
    codec->time_base = GifTimeBase;
    int code = avcodec_open2(codec.get(), gif, nullptr);
    if (code < 0)
        return fail(errorText("opening the GIF encoder", code));
    avcodec_parameters_from_context(stream->codecpar, codec.get());
    stream->time_base = GifTimeBase;
    code = avio_open(&format->pb, QFile::encodeName(path).constData(), AVIO_FLAG_WRITE);
    if (code < 0)
        return fail(errorText("opening the file", code));
    // Loops for ever; the last picture shows as long as it is held.
    AVDictionary *options = nullptr;
    av_dict_set_int(&options, "loop", 0, 0);
    av_dict_set_int(&options, "final_delay", qMax<qint64>(1, qRound64(100.0 * pictures.last().times / frameRate)), 0);
    code = avformat_write_header(format.get(), &options);
    av_dict_free(&options);
    if (code < 0)
        return fail(errorText("writing the GIF header", code));
    frame->format = AV_PIX_FMT_PAL8;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return fail(QStringLiteral("out of memory"));
    qint64 shown = 0;
    for (const Kept &picture : qAsConst(pictures)) {
        if (!writePicture(codec.get(), format.get(), frame.get(), picture, qRound64(100.0 * shown / frameRate)))
            return false;
        shown += picture.times;
    }
    Packet packet(av_packet_alloc());
    avcodec_send_frame(codec.get(), nullptr);
    if (!drain(codec.get(), format.get(), packet.get(), true))
        return false;
    code = av_write_trailer(format.get());
    return code >= 0 || fail(errorText("completing the GIF", code));
}

bool GifEncoder::Private::writePicture(AVCodecContext *codec, AVFormatContext *format, AVFrame *frame,
                                       const Kept &picture, qint64 pts)
{
    if (av_frame_make_writable(frame) < 0)
        return fail(QStringLiteral("out of memory"));
    const QByteArray raw = qUncompress(picture.packed);
    const auto *colours = reinterpret_cast<const quint16 *>(raw.constData());
    for (int y = 0; y < height; ++y) {
        uint8_t *row = frame->data[0] + y * frame->linesize[0];
        for (int x = 0; x < width; ++x)
            row[x] = palette.indexOf(colours[y * width + x]);
    }
    const QVector<quint32> colourList = palette.colours();
    auto *entries = reinterpret_cast<quint32 *>(frame->data[1]);
    // The entries left over are transparent: the encoder takes the first
    // for the pixels that did not change.
    for (int i = 0; i < GifPalette::Entries; ++i)
        entries[i] = i < colourList.size() ? colourList[i] : 0x00000000u;
    frame->pts = pts;
    const int code = avcodec_send_frame(codec, frame);
    if (code < 0)
        return fail(errorText("encoding a picture", code));
    Packet packet(av_packet_alloc());
    return drain(codec, format, packet.get(), false);
}

bool GifEncoder::Private::drain(AVCodecContext *codec, AVFormatContext *format, AVPacket *packet, bool flushing)
{
    for (;;) {
        const int code = avcodec_receive_packet(codec, packet);
        if (code == AVERROR(EAGAIN) || (flushing && code == AVERROR_EOF))
            return true;
        if (code < 0)
            return fail(errorText("encoding a picture", code));
        av_packet_rescale_ts(packet, codec->time_base, format->streams[0]->time_base);
        packet->stream_index = 0;
        const int written = av_interleaved_write_frame(format, packet);
        if (written < 0)
            return fail(errorText("writing the GIF", written));
    }
}
