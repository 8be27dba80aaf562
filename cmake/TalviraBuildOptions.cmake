# One interface target that every target of the project links, benches and tools
# included: the warnings of the project's own code and, when asked for, the sanitizers.
add_library(talvira_build_options INTERFACE)
target_compile_options(talvira_build_options INTERFACE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
if(TALVIRA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz harnesses need clang: configure with CXX=clang++")
  endif()
  # Coverage for the fuzzer in every library; the harnesses add the fuzzer's own main.
  target_compile_options(talvira_build_options INTERFACE -fsanitize=fuzzer-no-link)
  set(TALVIRA_SANITIZE ON)
endif()
if(TALVIRA_SANITIZE STREQUAL "thread")
  # ThreadSanitizer for the code that runs threads (the lanes of Gather Data); it cannot
  # be combined with AddressSanitizer, so it is a build of its own.
  target_compile_options(talvira_build_options INTERFACE -O1 -g1 -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(talvira_build_options INTERFACE -fsanitize=thread)
elseif(TALVIRA_SANITIZE)
  # -O1 with line tables only: what the sanitizers are meant to run at, and it compiles
  # in half the time of -O2 -g (the table-heavy test files in a third).
  target_compile_options(talvira_build_options INTERFACE
    -O1 -g1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(talvira_build_options INTERFACE -fsanitize=address,undefined)
endif()
