# The tools a build for the web runs on this machine, built natively from
# the same sources: the baker of fonts and files, and, for the tests, the
# renderer the page is compared with. They come from a sub-build of their
# own (build-web/native), or from a native build already there
# (CODERAIN_NATIVE_BUILD, e.g. build-ci, as scripts/test.sh does). Either
# is brought up to date with every build; it does nothing when it is.
set(CODERAIN_NATIVE_BUILD "" CACHE PATH
    "A native build of these sources to take coderain-bake and coderain-render from (empty: a sub-build of its own)")
set(native_targets coderain-bake)
if(CODERAIN_TESTS)
  list(APPEND native_targets coderain-render)
endif()
if(CODERAIN_NATIVE_BUILD)
  set(CODERAIN_NATIVE_DIR ${CODERAIN_NATIVE_BUILD})
else()
  set(CODERAIN_NATIVE_DIR ${CMAKE_BINARY_DIR}/native)
endif()
set(CODERAIN_BAKE ${CODERAIN_NATIVE_DIR}/coderain-bake)
set(CODERAIN_NATIVE_RENDER ${CODERAIN_NATIVE_DIR}/coderain-render)

if(CODERAIN_NATIVE_BUILD)
  add_custom_target(coderain_native
    COMMAND ${CMAKE_COMMAND} --build ${CODERAIN_NATIVE_DIR} --target ${native_targets}
    BYPRODUCTS ${CODERAIN_BAKE} ${CODERAIN_NATIVE_RENDER}
    USES_TERMINAL VERBATIM)
  return()
endif()
include(ExternalProject)
ExternalProject_Add(coderain_native
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${CODERAIN_NATIVE_DIR}
  # This machine's compiler and libraries, none of the cross build's.
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCODERAIN_WERROR=${CODERAIN_WERROR} -DCODERAIN_TESTS=OFF
             -DCODERAIN_BENCH=OFF -DCODERAIN_X11=OFF -DCODERAIN_WAYLAND=OFF -DCODERAIN_RENDER=${CODERAIN_TESTS}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${native_targets}
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${CODERAIN_BAKE} ${CODERAIN_NATIVE_RENDER}
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)
