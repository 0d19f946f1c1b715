# Displays that register: each display's folder adds its row to its
# program's table from its own CMake file, and the program's table is made
# from what registered, in that order (the order the rows are tried).
#
#   coderain_display_row(PROGRAM LIBRARY HEADER ROW)
#     the display's library, the header that declares its row, and the
#     function that returns the row
#   coderain_display_table(PROGRAM TYPE FUNCTION)
#     after every display has registered: links PROGRAM with the displays
#     and gives it FUNCTION, returning std::vector<DisplayRow<TYPE>>, the
#     rows in order (declared by the program's own header)

function(coderain_display_row program library header row)
  set_property(GLOBAL APPEND PROPERTY CODERAIN_DISPLAYS_${program} "${library}|${header}|${row}")
endfunction()

function(coderain_display_table program type function)
  get_property(displays GLOBAL PROPERTY CODERAIN_DISPLAYS_${program})
  set(includes "")
  set(rows "")
  foreach(display IN LISTS displays)
    string(REPLACE "|" ";" parts "${display}")
    list(GET parts 0 library)
    list(GET parts 1 header)
    list(GET parts 2 row)
    target_link_libraries(${program} PRIVATE ${library})
    string(APPEND includes "#include \"${header}\"\n")
    string(APPEND rows "${row}(), ")
  endforeach()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${program}_displays.cpp)
  file(CONFIGURE OUTPUT ${file} CONTENT
"// Made by CMake (cmake/display_table.cmake): the displays of this build.
#include <vector>

#include \"core/run/display_table.h\"
${includes}
namespace coderain {

std::vector<DisplayRow<${type}>> ${function}() { return {${rows}}; }

}  // namespace coderain
")
  target_sources(${program} PRIVATE ${file})
endfunction()
