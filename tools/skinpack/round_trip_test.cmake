# The packer as a user runs it: a style sheet packed and unpacked comes back byte for
# byte; a package of a newer format or a damaged one writes nothing and fails.
# cmake -DSKINPACK=... -DSHEET=... -DWORK=... -P round_trip_test.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# Runs skinpack and checks its exit status and that its complaint says `expected_words`.
function(skinpack expected_result expected_words)
  execute_process(COMMAND ${SKINPACK} ${ARGN} RESULT_VARIABLE result ERROR_VARIABLE message)
  if(NOT result EQUAL expected_result)
    message(FATAL_ERROR "skinpack ${ARGN}: exit ${result}, expected ${expected_result}: ${message}")
  endif()
  string(FIND "${message}" "${expected_words}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "skinpack ${ARGN} said \"${message}\", not \"${expected_words}\"")
  endif()
endfunction()

skinpack(0 "" pack ${SHEET} ${WORK}/dbskin.dat)
skinpack(0 "" unpack ${WORK}/dbskin.dat ${WORK}/back.qss)
file(READ ${SHEET} original HEX)
file(READ ${WORK}/back.qss unpacked HEX)
if(NOT original STREQUAL unpacked)
  message(FATAL_ERROR "the unpacked style sheet differs from ${SHEET}")
endif()
file(READ ${WORK}/dbskin.dat header LIMIT 4 HEX)
if(NOT header STREQUAL "03000000")
  message(FATAL_ERROR "format number ${header}, expected 3 little-endian")
endif()

# Format 4: the same package with its first byte raised.
file(READ ${WORK}/dbskin.dat package HEX)
string(SUBSTRING "${package}" 2 -1 rest)
file(WRITE ${WORK}/newer.hex "04${rest}")
file(READ ${WORK}/newer.hex newer)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" newer_escaped "${newer}")
execute_process(COMMAND printf "${newer_escaped}" OUTPUT_FILE ${WORK}/newer.dat)
skinpack(1 "newer format" unpack ${WORK}/newer.dat ${WORK}/newer.qss)

file(WRITE ${WORK}/damaged.dat "not a skin package")
skinpack(1 "damaged.dat" unpack ${WORK}/damaged.dat ${WORK}/damaged.qss)
skinpack(2 "usage" unpack ${WORK}/damaged.dat)

foreach(unwritten newer.qss damaged.qss)
  if(EXISTS ${WORK}/${unwritten})
    message(FATAL_ERROR "${unwritten} was written")
  endif()
endforeach()
