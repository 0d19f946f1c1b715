# The core's unit and scene tests: the same files in every build of the
# core (the Linux build adds its own; the Windows and web builds run these
# on their own targets).
set(CORE_TESTS
  test_support.cpp
  core/run/display_table_test.cpp
  core/run/framebuffer_display_test.cpp
  core/app/form1_test.cpp
  core/app/input_rules_test.cpp
  core/run/output_fit_test.cpp
  core/run/program_options_test.cpp
  core/run/saver_options_test.cpp
  core/run/saver_settings_test.cpp
  core/run/scene_loop_test.cpp
  core/run/screen_plan_test.cpp
  core/run/xscreensaver_list_test.cpp
  core/app/stage_test.cpp
  core/panels/blocks/block_game_test.cpp
  core/panels/blocks/build_up_test.cpp
  core/panels/code/code_panel_test.cpp
  core/panels/message/typewriter_test.cpp
  core/gfx/frame_copy_test.cpp
  core/base/source_file_test.cpp
  core/gfx/surface_test.cpp
  core/base/timer_scheduler_test.cpp
  core/rain/falling_streams_test.cpp
  core/rain/glyph_strip_test.cpp
  core/rain/number_burst_test.cpp)
list(TRANSFORM CORE_TESTS PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
