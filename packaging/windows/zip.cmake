# Makes the zip of the staged files (FILES, comma-separated, in STAGE) and of the page PAGE
# where the web build has made it, with the wallpaper hosts' folders made
# beside it; without it the zip goes without the page and says so.
#
#   cmake -DSTAGE=dir -DFILES=a,b -DPAGE=coderain.html -DZIP=out.zip -P zip.cmake
string(REPLACE "," ";" FILES "${FILES}")
get_filename_component(web "${PAGE}" DIRECTORY)
file(REMOVE_RECURSE "${STAGE}/wallpaper")
if(EXISTS "${PAGE}")
  file(COPY_FILE "${PAGE}" "${STAGE}/coderain.html" ONLY_IF_DIFFERENT)
  list(APPEND FILES coderain.html)
  # The folders the wallpaper hosts import, beside it.
  if(EXISTS "${web}/wallpaper")
    file(COPY "${web}/wallpaper" DESTINATION "${STAGE}")
    list(APPEND FILES wallpaper)
  endif()
else()
  file(REMOVE "${STAGE}/coderain.html")
  message(WARNING "coderain: no ${PAGE}: the zip goes without the page (cmake --preset web && cmake --build --preset web)")
endif()
file(REMOVE "${ZIP}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip ${FILES} WORKING_DIRECTORY "${STAGE}"
                COMMAND_ERROR_IS_FATAL ANY)
