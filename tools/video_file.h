// A video of the renderer's pictures, encoded with FFmpeg's libraries: the
// kind of file its name ends in, .webm (VP9), .mp4 (H.264) or .mkv (FFV1,
// lossless). Frames come at a constant rate, the first at time 0 of the
// file. Nothing is left under the file's name until the video is whole: it
// is written beside it under a name of its own and renamed at the end.
#pragma once

#include <memory>
#include <string>

#include "core/gfx/bitmap.h"

namespace coderain {

class VideoFile {
 public:
  VideoFile();
  // An unfinished video is removed.
  ~VideoFile();
  VideoFile(const VideoFile&) = delete;
  VideoFile& operator=(const VideoFile&) = delete;

  // Starts a video of width x height pixels at `fps` frames a second, to
  // be `path`. Returns 0; or, with *error, 2 where the codec refuses that
  // size or rate, 1 where the file cannot be written.
  int Open(const std::string& path, int width, int height, int fps, std::string* error);
  // Encodes the next frame, a picture of the video's size.
  bool Add(const Bitmap& picture, std::string* error);
  // Ends the video and gives it its name.
  bool Close(std::string* error);
  // Drops an unfinished video, its file with it.
  void Abandon();

 private:
  struct Coder;
  bool Drain(bool flush, std::string* error);
  bool Fail(const std::string& what, int averror, std::string* error);

  std::unique_ptr<Coder> c_;
  std::string path_;
  std::string part_;  // the file written until Close
};

}  // namespace coderain
