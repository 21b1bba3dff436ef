# Writes the version header, run at every build so that a new commit or an
# edited tree shows in --version without configuring again.
#   cmake -DVERSION=1.0.0 -DSOURCE_DIR=<tree> -DIN=<version.h.in> -DOUT=<version.h> -P version.cmake
#
# A build from the tag v<VERSION> itself is just VERSION; any other commit
# appends "+g<hash>" (an older version's tag too); uncommitted changes append
# "-dirty" (".dirty" after a hash). Without git, or outside a checkout of this tree (a tarball unpacked
# inside some other repository), it is VERSION alone.
cmake_minimum_required(VERSION 3.22)

set(SB_FULL_VERSION "${VERSION}")
string(REPLACE "." "\\." version_pattern "${VERSION}")
find_program(GIT_EXECUTABLE git)
if(GIT_EXECUTABLE)
  execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --show-toplevel
    WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE top_status
    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND "${GIT_EXECUTABLE}" describe --tags --dirty --always
    WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE describe_status
    OUTPUT_VARIABLE described OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  get_filename_component(source_real "${SOURCE_DIR}" REALPATH)
  if(top_status EQUAL 0 AND describe_status EQUAL 0)
    get_filename_component(top_real "${top}" REALPATH)
  endif()
  if(top_status EQUAL 0 AND describe_status EQUAL 0 AND top_real STREQUAL source_real)
    if(described MATCHES "^v?${version_pattern}(-dirty)?$")
      set(SB_FULL_VERSION "${VERSION}${CMAKE_MATCH_1}")
    else()
      # Any other tag (an older version's) says nothing about this build:
      # the commit does.
      execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --short HEAD
        WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE hash_status
        OUTPUT_VARIABLE hash OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(hash_status EQUAL 0)
        set(SB_FULL_VERSION "${VERSION}+g${hash}")
        if(described MATCHES "-dirty$")
          string(APPEND SB_FULL_VERSION ".dirty")
        endif()
      endif()
    endif()
  endif()
endif()
configure_file("${IN}" "${OUT}" @ONLY)
