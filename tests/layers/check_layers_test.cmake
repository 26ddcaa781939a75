# Runs check_layers.cmake over a small tree with one include of each kind and
# checks that it refuses exactly the upward ones, naming file and header.
#   cmake -DWORK_DIR=<scratch folder> -P check_layers_test.cmake

set(tree "${WORK_DIR}/tree")
file(REMOVE_RECURSE "${tree}")
foreach(folder app environment executor language devices platform resources)
  file(WRITE "${tree}/${folder}/OVUnit.h" "#pragma once\n")
endforeach()
# Allowed: own folder, a folder below, a folder on the same level.
file(WRITE "${tree}/executor/OVDown.cpp" "#include \"executor/OVUnit.h\"\n#include \"language/OVUnit.h\"\n")
file(WRITE "${tree}/devices/OVSide.cpp" "#include \"platform/OVUnit.h\"\n#include <resources/OVUnit.h>\n")
# Refused: up one layer, up several, and a spaced directive in a header.
file(WRITE "${tree}/language/OVUp.cpp" "#include <QString>\n#include \"executor/OVUnit.h\"\n")
file(WRITE "${tree}/platform/OVUpFar.h" "  #  include \"environment/OVUnit.h\"\n")
file(WRITE "${tree}/devices/OVUpInc.inc" "#include <language/OVUnit.h>\n")

execute_process(COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${tree} -P "${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake"
                RESULT_VARIABLE result ERROR_VARIABLE report OUTPUT_VARIABLE output)
string(APPEND report "${output}")

set(expected
  "language/OVUp.cpp: includes executor/OVUnit.h (executor is above language)"
  "platform/OVUpFar.h: includes environment/OVUnit.h (environment is above platform)"
  "devices/OVUpInc.inc: includes language/OVUnit.h (language is above devices)"
  "3 include(s) point up a layer")
if(result EQUAL 0)
  message(FATAL_ERROR "the check passed a tree with upward includes:\n${report}")
endif()
foreach(line IN LISTS expected)
  string(FIND "${report}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the report lacks \"${line}\":\n${report}")
  endif()
endforeach()
foreach(allowed "OVDown.cpp" "OVSide.cpp")
  string(FIND "${report}" "${allowed}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the check refused an allowed include of ${allowed}:\n${report}")
  endif()
endforeach()
