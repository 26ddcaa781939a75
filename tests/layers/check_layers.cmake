# Checks that the layers point down only: a source folder may include from
# itself and from the folders below it, never from one above it.
#   cmake -DSOURCE_DIR=<tree> -P check_layers.cmake
# Prints every upward include as "file: includes header (folder is above)"
# and fails when there is one.

# The layers from the top down; folders in one entry are on the same level.
set(layers "app" "environment" "executor" "language" "devices platform resources")

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

# The level of each folder: 0 at the top.
set(folders "")
set(level 0)
foreach(entry IN LISTS layers)
  string(REPLACE " " ";" members "${entry}")
  foreach(folder IN LISTS members)
    if(NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}")
      message(FATAL_ERROR "the source folder ${folder} is missing: the list of layers is out of date")
    endif()
    set(level_of_${folder} ${level})
    list(APPEND folders ${folder})
  endforeach()
  math(EXPR level "${level} + 1")
endforeach()
list(JOIN folders "|" folder_pattern)

set(faults 0)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp"
       "${SOURCE_DIR}/${folder}/*.inc")
  list(SORT sources)
  foreach(source IN LISTS sources)
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${folder_pattern})/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*$" "\\1" header "${line}")
      string(REGEX REPLACE "/.*$" "" target "${header}")
      if(level_of_${target} LESS level_of_${folder})
        message("${source}: includes ${header} (${target} is above ${folder})")
        math(EXPR faults "${faults} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) point up a layer")
endif()
