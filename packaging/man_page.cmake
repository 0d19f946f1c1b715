# Writes the man page IN as OUT with CODERAIN_VERSION and CODERAIN_DATA_DIR
# filled in, compressed with GZIP (-9n, as Debian asks) where it is given:
#   cmake -DIN=... -DOUT=... -DCODERAIN_VERSION=... -DCODERAIN_DATA_DIR=... [-DGZIP=...] -P man_page.cmake
configure_file(${IN} ${OUT} @ONLY)
if(GZIP)
  execute_process(COMMAND ${GZIP} -9nf ${OUT} COMMAND_ERROR_IS_FATAL ANY)
endif()
