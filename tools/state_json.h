// The scene's state as JSON, for checks and for looking into a rendered frame.
//
// Every field of SceneState appears under its own name, in declaration
// order, with the value it stores (flags as 0 and -1). BlockGrid is 13
// arrays (columns) of 25 objects {"Filled", "ColorIndex"}; Streams is 8
// objects {"X", "Y", "OldX"}. After the state, "Intervals" holds the
// current interval in ms of each timer, "Timer1" to "Timer15".
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/app/form1.h"

namespace coderain {

nlohmann::ordered_json SceneStateJson(const SceneState& state);

// The state of `form` and the intervals of its timers.
nlohmann::ordered_json SceneJson(const Form1& form);

// Writes SceneJson(form) to `path`. Returns false and sets *error, naming
// the path, on failure.
bool WriteSceneJson(const std::string& path, const Form1& form, std::string* error);

}  // namespace coderain
