# Runs one program through the headless runner, or through its NAME.sh,
# and compares its output.
get_filename_component(dir ${PROGRAM} DIRECTORY)
get_filename_component(name ${PROGRAM} NAME_WE)
set(input /dev/null)
if(EXISTS ${dir}/${name}.in)
  set(input ${dir}/${name}.in)
endif()
set(command ${RUNNER} ${PROGRAM})
if(EXISTS ${dir}/${name}.sh)
  set(ENV{OVRUN} ${RUNNER})
  set(ENV{PROGRAM} ${PROGRAM})
  set(command sh ${dir}/${name}.sh)
endif()
execute_process(COMMAND ${command}
  WORKING_DIRECTORY ${dir}
  INPUT_FILE ${input}
  TIMEOUT 300
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(status MATCHES "timeout")
  message(FATAL_ERROR "${name}.ovt did not end within 300 s.\n${actual}${errors}")
endif()
file(READ ${dir}/${name}.out expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output of ${name}.ovt differs.\n--- expected\n${expected}--- actual\n${actual}${errors}")
endif()
string(FIND "${expected}" "エラー:" reported)
if(reported EQUAL -1)
  set(wanted 0)
else()
  set(wanted 1)
endif()
if(NOT status EQUAL wanted)
  message(FATAL_ERROR "${name}.ovt exited with ${status}, expected ${wanted}")
endif()
