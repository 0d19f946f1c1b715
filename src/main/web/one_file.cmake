# Puts the scene's script (with its WebAssembly inside, SINGLE_FILE) into
# the page's own HTML: one file that opens from a folder with no server.
# OPTIONS are the page's own, before its address's (a wallpaper host's
# copy: "wallpaper").
#
#   cmake -DSHELL=page.html -DSCRIPT=coderain_page.js -DOUT=coderain.html [-DOPTIONS=...] -P one_file.cmake
file(READ ${SHELL} page)
file(READ ${SCRIPT} script)
string(TOLOWER "${script}" lower)
string(FIND "${lower}" "</script" end)
if(NOT end EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} holds \"</script\", which would end the page's script early")
endif()
string(REPLACE "@PAGE_OPTIONS@" "${OPTIONS}" page "${page}")
string(REPLACE "@SCENE_SCRIPT@" "${script}" page "${page}")
file(WRITE ${OUT} "${page}")
