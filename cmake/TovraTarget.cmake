# Flags every target of the product and its tests shares.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

# Sources are UTF-8; the system's own Chinese texts reach the program as GBK.
set(TOVRA_COMPILE_OPTIONS
  -Wall -Wextra -Werror -Wcast-function-type
  -fexec-charset=GBK -finput-charset=UTF-8
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
# Nothing has to travel beside the exe: the C++ runtime, libgcc, winpthread and zlib are
# linked in; no timestamp in the PE, so two builds of one tree are byte-identical.
set(TOVRA_LINK_OPTIONS -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
include_directories(${CMAKE_SOURCE_DIR})

function(tovra_target target)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX,C>:${TOVRA_COMPILE_OPTIONS}>)
  target_link_options(${target} PRIVATE ${TOVRA_LINK_OPTIONS})
endfunction()

# A library of one subsystem.
function(tovra_library name)
  add_library(${name} STATIC ${ARGN})
  tovra_target(${name})
endfunction()
