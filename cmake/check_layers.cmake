# Fails when a source file under SRC includes a header of a higher layer, or
# of a sibling among the author tools.
#   cmake -DSRC=<dir holding the layer folders> -P check_layers.cmake
#
# The layers, lowest first, with their rank. A file may include headers of
# its own layer and of layers of a lower rank, never of a higher one, nor of
# another layer of the same rank: the editor server, the picture, inspect,
# the player documents and the project file are siblings that share only tools/common. The libraries enforce
# the same order at build time (each exposes only its own folder); this
# check names the offending line.
cmake_minimum_required(VERSION 3.22)

set(ranks
  base=0 model=1 format=2 description=3 content=4 compiler=5 running_time=6
  tools/common=7 tools/inspect=8 tools/lsp=8 tools/render=8 tools/documents=8 tools/project=8
  app=9)

get_filename_component(SRC "${SRC}" ABSOLUTE)
if(NOT IS_DIRECTORY "${SRC}")
  message(FATAL_ERROR "give -DSRC=<the source folder of the layers>")
endif()

# The layer a path below SRC, or an include's path, belongs to: its first
# folder, or its first two under tools/.
function(layer_of path out)
  string(REGEX MATCH "^tools/[^/]+" layer "${path}")
  if(NOT layer)
    string(REGEX MATCH "^[^/]+" layer "${path}")
  endif()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

function(rank_of layer out)
  set(found "")
  foreach(entry IN LISTS ranks)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 name)
    list(GET pair 1 rank)
    if(name STREQUAL layer)
      set(found ${rank})
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

set(violations "")
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cc")
foreach(file IN LISTS files)
  layer_of("${file}" layer)
  rank_of("${layer}" rank)
  if(rank STREQUAL "")
    continue()
  endif()
  file(STRINGS "${SRC}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
    layer_of("${included}" target)
    rank_of("${target}" target_rank)
    if(target_rank STREQUAL "" OR target STREQUAL layer)
      continue()
    endif()
    if(target_rank GREATER_EQUAL rank)
      string(APPEND violations "  ${file}: ${layer} includes ${target}: ${line}\n")
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "a layer includes a higher one or a sibling (${ranks}):\n${violations}")
endif()
