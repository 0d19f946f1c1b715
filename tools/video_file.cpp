#include "video_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "render_options.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace coderain {

namespace {

// What each kind of file holds and how it is encoded.
struct Kind {
  const char* codec;    // as a line names it
  const char* format;   // FFmpeg's name of the container
  const char* encoder;  // FFmpeg's name of the encoder
  AVPixelFormat pixels;
  bool evenSides;                                  // the encoder takes only even widths and heights
  std::pair<const char*, const char*> options[5];  // the encoder's own, to the first empty one
};

// The pictures' own pixels: 0x00RRGGBB words in the machine's order.
constexpr AVPixelFormat kPictureFormat = AV_PIX_FMT_0RGB32;

const Kind kKinds[] = {
    // Fast enough for real time on two cores; the scene's few colours on
    // black keep the files small at these qualities.
    {"VP9",
     "webm",
     "libvpx-vp9",
     AV_PIX_FMT_YUV420P,
     false,
     {{"deadline", "realtime"}, {"cpu-used", "8"}, {"crf", "30"}, {"b", "0"}, {"row-mt", "1"}}},
    {"H.264", "mp4", "libx264", AV_PIX_FMT_YUV420P, true, {{"preset", "veryfast"}, {"crf", "20"}}},
    {"FFV1", "matroska", "ffv1", kPictureFormat, false, {{"level", "3"}, {"slices", "4"}}},
};

const Kind* KindOf(std::string_view path) {
  const char* codec = VideoCodecFor(path);
  for (const Kind& k : kKinds)
    if (codec && std::string_view(codec) == k.codec) return &k;
  return nullptr;
}

std::string AvText(int averror) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(averror, text, sizeof text);
  return text;
}

}  // namespace

struct VideoFile::Coder {
  ~Coder() {
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }
  const Kind* kind = nullptr;
  AVCodecContext* codec = nullptr;
  AVFormatContext* format = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;
  std::int64_t frames = 0;
};

VideoFile::VideoFile() = default;

VideoFile::~VideoFile() { Abandon(); }

bool VideoFile::Fail(const std::string& what, int averror, std::string* error) {
  *error = what + (averror ? ": " + AvText(averror) : "");
  Abandon();
  return false;
}

int VideoFile::Open(const std::string& path, int width, int height, int fps, std::string* error) {
  Abandon();
  const Kind* kind = KindOf(path);
  if (!kind) {
    *error = "a video is a .webm, .mp4 or .mkv file: " + path;
    return 2;
  }
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (kind->evenSides && (width % 2 != 0 || height % 2 != 0)) {
    *error = std::string(kind->codec) + " takes only even widths and heights, not " + size;
    return 2;
  }
  // What goes wrong is told in one line of ours, not in the libraries'.
  av_log_set_level(AV_LOG_QUIET);
  const AVCodec* encoder = avcodec_find_encoder_by_name(kind->encoder);
  if (!encoder) {
    *error = std::string("this FFmpeg has no ") + kind->codec + " encoder (" + kind->encoder + ")";
    return 1;
  }
  // Every failure past here drops what was made, the file with it.
  const auto failed = [&](const std::string& what, int averror, int status) {
    Fail(what, averror, error);
    return status;
  };
  c_ = std::make_unique<Coder>();
  c_->kind = kind;
  c_->codec = avcodec_alloc_context3(encoder);
  c_->frame = av_frame_alloc();
  c_->packet = av_packet_alloc();
  if (!c_->codec || !c_->frame || !c_->packet) return failed("not enough memory for the encoder", 0, 1);
  AVCodecContext& cc = *c_->codec;
  cc.width = width;
  cc.height = height;
  cc.time_base = {1, fps};
  cc.framerate = {fps, 1};
  cc.pix_fmt = kind->pixels;
  cc.gop_size = 2 * fps;  // a key frame every 2 s, to seek
  cc.thread_count = 0;    // as many as there are cores
  if (kind->pixels != kPictureFormat) {
    // The picture's colours as HD video gives them.
    cc.color_range = AVCOL_RANGE_MPEG;
    cc.colorspace = AVCOL_SPC_BT709;
    cc.color_primaries = AVCOL_PRI_BT709;
    cc.color_trc = AVCOL_TRC_BT709;
  }
  for (const auto& [name, value] : kind->options)
    if (name) av_opt_set(cc.priv_data, name, value, 0);

  // The file beside the one asked for, so that the rename at the end stays
  // in one folder.
  std::filesystem::path target(path);
  std::string part = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = mkstemp(part.data());
  if (fd < 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    c_.reset();
    return 1;
  }
  // As open() would make it: readable by all the umask lets read it.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  path_ = path;
  part_ = part;

  if (avformat_alloc_output_context2(&c_->format, nullptr, kind->format, part_.c_str()) < 0 || !c_->format)
    return failed("not enough memory for the video's container", 0, 1);
  if (c_->format->oformat->flags & AVFMT_GLOBALHEADER) cc.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (const int e = avcodec_open2(&cc, nullptr, nullptr); e < 0) {
    return failed(
        std::string(kind->codec) + " cannot encode " + size + " at " + std::to_string(fps) + " frames a second", e, 2);
  }
  c_->stream = avformat_new_stream(c_->format, nullptr);
  if (!c_->stream) return failed("not enough memory for the video's stream", 0, 1);
  c_->stream->time_base = cc.time_base;
  if (const int e = avcodec_parameters_from_context(c_->stream->codecpar, &cc); e < 0)
    return failed("cannot describe the video's stream", e, 1);

  AVFrame& f = *c_->frame;
  f.format = cc.pix_fmt;
  f.width = width;
  f.height = height;
  f.color_range = cc.color_range;
  f.colorspace = cc.colorspace;
  if (const int e = av_frame_get_buffer(&f, 0); e < 0) return failed("not enough memory for a frame", e, 1);
  if (kind->pixels != kPictureFormat) {
    c_->scaler = sws_getContext(width, height, kPictureFormat, width, height, kind->pixels,
                                SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
    if (!c_->scaler) return failed("cannot convert the pictures to " + std::string(kind->codec) + "'s pixels", 0, 1);
    // RGB in full range to BT.709's YUV in limited range.
    sws_setColorspaceDetails(c_->scaler, sws_getCoefficients(SWS_CS_ITU709), 1, sws_getCoefficients(SWS_CS_ITU709), 0,
                             0, 1 << 16, 1 << 16);
  }

  if (const int e = avio_open(&c_->format->pb, part_.c_str(), AVIO_FLAG_WRITE); e < 0)
    return failed("cannot write " + path_, e, 1);
  AVDictionary* muxing = nullptr;
  // An MP4's index at its start, so that it plays while it loads.
  if (std::string_view(kind->format) == "mp4") av_dict_set(&muxing, "movflags", "+faststart", 0);
  const int e = avformat_write_header(c_->format, &muxing);
  av_dict_free(&muxing);
  if (e < 0) return failed("cannot write " + path_, e, 1);
  return 0;
}

bool VideoFile::Add(const Bitmap& picture, std::string* error) {
  AVFrame& f = *c_->frame;
  if (const int e = av_frame_make_writable(&f); e < 0) return Fail("not enough memory for a frame", e, error);
  const auto* rows = reinterpret_cast<const std::uint8_t*>(picture.Row(0));
  const int pitch = picture.Pitch() * 4;
  if (c_->scaler) {
    const std::uint8_t* const planes[] = {rows};
    sws_scale(c_->scaler, planes, &pitch, 0, picture.Height(), f.data, f.linesize);
  } else {
    for (int y = 0; y < picture.Height(); ++y)
      std::memcpy(f.data[0] + static_cast<std::ptrdiff_t>(y) * f.linesize[0],
                  rows + static_cast<std::ptrdiff_t>(y) * pitch, static_cast<std::size_t>(picture.Width()) * 4);
  }
  f.pts = c_->frames++;
  if (const int e = avcodec_send_frame(c_->codec, &f); e < 0)
    return Fail(std::string("the ") + c_->kind->codec + " encoder failed", e, error);
  return Drain(false, error);
}

bool VideoFile::Drain(bool flush, std::string* error) {
  for (;;) {
    const int got = avcodec_receive_packet(c_->codec, c_->packet);
    if (got == AVERROR(EAGAIN) || (flush && got == AVERROR_EOF)) return true;
    if (got < 0) return Fail(std::string("the ") + c_->kind->codec + " encoder failed", got, error);
    AVPacket& p = *c_->packet;
    if (p.duration == 0) p.duration = 1;  // one frame, at the constant rate
    av_packet_rescale_ts(&p, c_->codec->time_base, c_->stream->time_base);
    p.stream_index = c_->stream->index;
    if (const int e = av_interleaved_write_frame(c_->format, &p); e < 0) return Fail("cannot write " + path_, e, error);
  }
}

bool VideoFile::Close(std::string* error) {
  if (const int e = avcodec_send_frame(c_->codec, nullptr); e < 0)
    return Fail(std::string("the ") + c_->kind->codec + " encoder failed", e, error);
  if (!Drain(true, error)) return false;
  if (const int e = av_write_trailer(c_->format); e < 0) return Fail("cannot write " + path_, e, error);
  const int closed = avio_closep(&c_->format->pb);
  if (closed < 0) return Fail("cannot write " + path_, closed, error);
  if (std::rename(part_.c_str(), path_.c_str()) != 0)
    return Fail("cannot write " + path_ + ": " + std::strerror(errno), 0, error);
  part_.clear();
  c_.reset();
  return true;
}

void VideoFile::Abandon() {
  c_.reset();
  if (!part_.empty()) std::remove(part_.c_str());
  part_.clear();
}

}  // namespace coderain
