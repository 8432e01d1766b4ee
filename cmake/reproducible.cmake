# The same commit gives the same lumora.exe, wherever and whenever it is built, so that anyone can
# rebuild a download and compare: every time stamp is the last commit's time, as SOURCE_DATE_EPOCH
# says it (packaging/make_package.py takes the same one), and no build folder reaches the binaries.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(LUMORA_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE LUMORA_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT LUMORA_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    # No git here (an unpacked source archive): a fixed time, 2026-01-01 00:00 UTC, rather than
    # now, so that two such builds still agree.
    set(LUMORA_SOURCE_DATE_EPOCH 1767225600)
  endif()
endif()

if(WIN32)
  # The linker stamps the PE header with SOURCE_DATE_EPOCH when it is set, and with the time of
  # the link otherwise. A compiler's own date (__DATE__, __TIME__) is an error instead.
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${LUMORA_SOURCE_DATE_EPOCH})
  add_compile_options(-Werror=date-time)
  # Source and build folders as the compiler writes them into __FILE__ and debug information.
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
endif()
