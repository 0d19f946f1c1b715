#include "core/app/stage.h"

#include <utility>

namespace coderain {

Stage::Stage(FontFaces fontFaces, RandomSource* random, std::string programDir)
    : fontFaces_(std::move(fontFaces)), random_(random), programDir_(std::move(programDir)) {}

bool Stage::Start(Bitmap* frame, std::int64_t now, std::string* error) {
  form_.reset();
  SceneFonts fonts;
  if (!fonts.Load(fontFaces_, error)) return false;
  frame_ = frame;
  frame_->Fill(kBlack);
  auto form = std::make_unique<Form1>(frame_, std::move(fonts), random_, programDir_, now);
  form->SetLatenessAllowed(latenessAllowed_);
  if (!form->Start(error)) return false;
  form_ = std::move(form);
  return true;
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
