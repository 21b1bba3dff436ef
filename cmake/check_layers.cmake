# Fails when a source file under SRC includes a header of a higher layer.
#   cmake -DSRC=<dir holding the layer folders> -P check_layers.cmake
#
# The layers, lowest first. A file in a layer may include headers of its
# own layer and of the layers before it in this list, never of one after.
# The libraries enforce the same order at build time (each exposes only its
# own folder); this check names the offending line.
cmake_minimum_required(VERSION 3.22)

set(layers base model format description content compiler tools app)

get_filename_component(SRC "${SRC}" ABSOLUTE)
if(NOT IS_DIRECTORY "${SRC}")
  message(FATAL_ERROR "give -DSRC=<the source folder of the layers>")
endif()

set(violations "")
set(higher ${layers})
foreach(layer IN LISTS layers)
  list(REMOVE_ITEM higher ${layer})
  file(GLOB_RECURSE files "${SRC}/${layer}/*.h" "${SRC}/${layer}/*.cc")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*" "\\1" target "${line}")
      if(target IN_LIST higher)
        file(RELATIVE_PATH shown "${SRC}" "${file}")
        string(APPEND violations "  ${shown}: ${layer} includes ${target}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "a lower layer includes a higher one (order: ${layers}):\n${violations}")
endif()
