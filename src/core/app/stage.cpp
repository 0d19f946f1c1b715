#include "core/app/stage.h"

#include <algorithm>
#include <utility>

namespace coderain {

namespace {

// The n-th seed of a run: the first is the run's own, every other one far
// from it (a step of the SplitMix generator), so that neighbouring seeds do
// not give neighbouring sequences.
std::uint64_t NthSeed(std::uint64_t seed, int n) {
  if (n == 0) return seed;
  std::uint64_t z = seed + static_cast<std::uint64_t>(n) * 0x9E3779B97F4A7C15u;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

}  // namespace

Stage::Stage(FontFaces fontFaces, std::uint64_t seed, TextFolders texts)
    : fontFaces_(std::move(fontFaces)), seed_(seed), texts_(std::move(texts)) {}

Stage::Entry* Stage::Find(int screen) {
  const auto it = std::find_if(scenes_.begin(), scenes_.end(), [&](const Entry& e) { return e.screen == screen; });
  return it == scenes_.end() ? nullptr : &*it;
}

Form1* Stage::Scene(int screen) {
  Entry* e = Find(screen);
  return e ? e->form.get() : nullptr;
}

const Form1* Stage::Scene(int screen) const { return const_cast<Stage*>(this)->Scene(screen); }

bool Stage::Start(int screen, Bitmap* frame, std::int64_t now, std::string* error) {
  Entry* e = Find(screen);
  if (!e) {
    scenes_.push_back({screen, std::make_unique<SeededRandom>(NthSeed(seed_, seeds_++)), 0, nullptr});
    e = &scenes_.back();
  }
  e->form.reset();
  SceneFonts fonts;
  std::unique_ptr<Form1> form;
  if (fonts.Load(fontFaces_, error)) {
    frame->Fill(kBlack);
    form = std::make_unique<Form1>(frame, std::move(fonts), e->random.get(), texts_, now);
    form->SetLatenessAllowed(e->latenessAllowed);
    if (!form->Start(error)) form.reset();
  }
  if (!form) {
    failed_ = true;
    return false;
  }
  e->form = std::move(form);
  return true;
}

void Stage::Remove(int screen) {
  std::erase_if(scenes_, [&](const Entry& e) { return e.screen == screen; });
}

bool Stage::Ended() const {
  return failed_ ||
         std::any_of(scenes_.begin(), scenes_.end(), [](const Entry& e) { return e.form && e.form->Ended(); });
}

void Stage::SetLatenessAllowed(int screen, std::int64_t ms) {
  if (Entry* e = Find(screen)) {
    e->latenessAllowed = ms;
    if (e->form) e->form->SetLatenessAllowed(ms);
  }
}

const void* Stage::TargetAt(int screen, Point p) {
  Form1* form = Scene(screen);
  if (!form) return nullptr;
  Panel* panel = form->PanelAt(p);
  return panel ? static_cast<const void*>(panel) : form;
}

void Stage::KeyDown(int key) {
  // Any scene's end is the end of them all.
  if (!rules_.KeyDown(key)) return;
  for (Entry& e : scenes_)
    if (e.form) return e.form->OnKeyDown();
}

void Stage::ButtonDown(int screen, Point p) {
  if (Scene(screen)) rules_.ButtonDown(TargetAt(screen, p));
}

void Stage::ButtonUp(int screen, Point p) {
  Form1* form = Scene(screen);
  if (form && rules_.ButtonUp(TargetAt(screen, p))) form->OnClick(p);
}

void Stage::CloseRequest() {
  for (Entry& e : scenes_)
    if (e.form) e.form->OnCloseRequest();
}

}  // namespace coderain
