# CLI11, nlohmann-json and toml++ are header-only Debian packages installed for the
# build machine, under /usr/include. A cross build cannot put /usr/include on
# its include path (the C library headers there are the build machine's), so
# it sees only the libraries' own directories, through links in the
# build tree, and gets the same imported targets as find_package gives.
set(SB_HOST_INCLUDE_DIR "/usr/include" CACHE PATH
    "Where the header-only libraries are installed on the build machine")
set(_sb_cross_include ${CMAKE_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${_sb_cross_include})

function(_sb_header_library target header_dir probe)
  if(NOT EXISTS ${SB_HOST_INCLUDE_DIR}/${header_dir}/${probe})
    message(FATAL_ERROR "${target}: ${SB_HOST_INCLUDE_DIR}/${header_dir}/${probe} not found "
                        "(install the Debian package: tools/deps.sh)")
  endif()
  if(NOT EXISTS ${_sb_cross_include}/${header_dir})
    file(CREATE_LINK ${SB_HOST_INCLUDE_DIR}/${header_dir} ${_sb_cross_include}/${header_dir} SYMBOLIC)
  endif()
  if(NOT TARGET ${target})
    add_library(${target} INTERFACE IMPORTED)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_sb_cross_include})
  endif()
endfunction()

_sb_header_library(CLI11::CLI11 CLI CLI.hpp)
_sb_header_library(nlohmann_json::nlohmann_json nlohmann json.hpp)
_sb_header_library(tomlplusplus::headers toml++ toml.h)
