// The scenes of a run, one on each screen the display shows, and the input
// rules between raw events and them.
//
// The layout is computed once per scene, from the size it starts with, so
// a new size is a new scene on that screen: a new Form1 started at the time
// of the change, nothing carried over but its random source and which keys
// are held. Each screen's scene has a random sequence of its own, so that
// two screens of one size never show the same picture.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/app/form1.h"
#include "core/app/input_rules.h"
#include "core/base/random_source.h"
#include "core/gfx/bitmap.h"
#include "core/gfx/font.h"

namespace coderain {

class Stage {
 public:
  // The fonts are opened afresh from `fontFaces` for every scene. The
  // first screen's scene draws its numbers from `seed`, the others' from
  // seeds of their own made from it.
  Stage(FontFaces fontFaces, std::uint64_t seed, TextFolders texts);

  // Starts a scene on `screen` at `now` (a restart where one runs there)
  // drawing into `frame`, which it clears to black; the frame's size is the
  // scene's, and it must outlive the scene. Returns false and sets *error
  // when start-up fails; the run then counts as ended.
  bool Start(int screen, Bitmap* frame, std::int64_t now, std::string* error);
  // Drops the scene of a screen that is gone.
  void Remove(int screen);
  // The scene on `screen`, or null where there is none.
  Form1* Scene(int screen);
  const Form1* Scene(int screen) const;
  // Whether the run is over: a scene has ended (a counted key or click, a
  // close request) or could not start.
  bool Ended() const;
  // How late a tick may run and still keep its turn; kept across restarts.
  void SetLatenessAllowed(int screen, std::int64_t ms);

  // Raw input: keys for the whole run, buttons at scene pixels of a
  // screen's scene. Only what the input rules count reaches a scene.
  void WindowAppeared(std::span<const int> heldKeys) { rules_.WindowAppeared(heldKeys); }
  void KeyDown(int key);
  void KeyUp(int key) { rules_.KeyUp(key); }
  void ButtonDown(int screen, Point p);
  void ButtonUp(int screen, Point p);
  // A close request by any other route (the system, a signal): every scene
  // closes.
  void CloseRequest();

 private:
  struct Entry {
    int screen = 0;
    std::unique_ptr<RandomSource> random;
    std::int64_t latenessAllowed = 0;
    std::unique_ptr<Form1> form;
  };
  Entry* Find(int screen);
  // What a click at p on `screen` is on: a panel, or the scene's bare
  // screen.
  const void* TargetAt(int screen, Point p);

  FontFaces fontFaces_;
  std::uint64_t seed_;
  TextFolders texts_;
  InputRules rules_;
  std::vector<Entry> scenes_;
  int seeds_ = 0;  // the random sources made so far
  bool failed_ = false;
};

}  // namespace coderain
