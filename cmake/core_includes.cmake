# Fails when a file of the core includes anything but the C++ standard
# library and the core itself: the core knows no operating system, display
# or library. Run by ctest (tests/CMakeLists.txt) as
#   cmake -DCORE=<src/core> -P core_includes.cmake
set(standard
    algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono cinttypes
    climits clocale cmath compare complex concepts condition_variable coroutine csetjmp csignal cstdarg cstddef
    cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception execution expected filesystem
    format forward_list fstream functional future initializer_list iomanip ios iosfwd iostream istream iterator
    latch limits list locale map memory memory_resource mutex new numbers numeric optional ostream queue random
    ranges ratio regex scoped_allocator semaphore set shared_mutex source_location span sstream stack stdexcept
    stop_token streambuf string string_view syncstream system_error thread tuple type_traits typeindex typeinfo
    unordered_map unordered_set utility valarray variant vector version)
file(GLOB_RECURSE files "${CORE}/*.h" "${CORE}/*.cpp")
set(bad "")
foreach(file ${files})
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(line MATCHES "<([^>]+)>")
      list(FIND standard "${CMAKE_MATCH_1}" at)
      if(at EQUAL -1)
        list(APPEND bad "${file}: ${line}")
      endif()
    elseif(line MATCHES "\"([^\"]+)\"" AND NOT CMAKE_MATCH_1 MATCHES "^core/")
      list(APPEND bad "${file}: ${line}")
    endif()
  endforeach()
endforeach()
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "The core includes what is not the standard library's nor its own:\n  ${text}")
endif()
