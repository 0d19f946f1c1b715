#include "app/stage.h"

#include <utility>

namespace coderain {

Stage::Stage(FontFiles fontFiles, RandomSource* random, std::string programDir)
    : fontFiles_(std::move(fontFiles)), random_(random), programDir_(std::move(programDir)) {}

bool Stage::Start(int width, int height, std::int64_t now, std::string* error, Bitmap* frame) {
  form_.reset();
  SceneFonts fonts;
  if (!fonts.Load(fontFiles_, error)) return false;
  direct_ = frame && frame->Width() == width && frame->Height() == height;
  if (direct_) {
    framebuffer_ = Bitmap(frame->Row(0), width, height, frame->Pitch());
    framebuffer_.Fill(kBlack);
  } else {
    framebuffer_ = Bitmap(width, height);
  }
  auto form = std::make_unique<Form1>(&framebuffer_, std::move(fonts), random_, programDir_, now);
  form->SetLatenessAllowed(latenessAllowed_);
  if (!form->Start(error)) return false;
  form_ = std::move(form);
  return true;
}

bool Stage::Runs(int width, int height, const Bitmap* frame) const {
  return form_ && framebuffer_.Width() == width && framebuffer_.Height() == height &&
         (frame ? framebuffer_.SharesPixels(*frame) : !direct_);
}

void Stage::RunUntil(std::int64_t now, const TimerScheduler::Clock& clock) {
  if (form_) form_->RunUntil(now, clock);
}

std::int64_t Stage::NextDue() const { return form_->NextDue(); }

void Stage::SetLatenessAllowed(std::int64_t ms) {
  latenessAllowed_ = ms;
  if (form_) form_->SetLatenessAllowed(ms);
}

void Stage::KeyDown(int key) {
  if (rules_.KeyDown(key) && form_) form_->OnKeyDown();
}

void Stage::ButtonDown(Point p) {
  if (form_) rules_.ButtonDown(form_->PanelAt(p));
}

void Stage::ButtonUp(Point p) {
  if (form_ && rules_.ButtonUp(form_->PanelAt(p))) form_->OnClick(p);
}

void Stage::CloseRequest() {
  if (form_) form_->OnCloseRequest();
}

}  // namespace coderain
