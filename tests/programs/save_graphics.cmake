# Runs a program with --save-graphics and checks the PNG: its signature and
# the picture size in its header (101 by 101), and the unchanged exit status.
file(REMOVE ${OUT})
execute_process(COMMAND ${RUNNER} --save-graphics ${OUT} ${PROGRAM}
  INPUT_FILE /dev/null OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "exit status ${status}, expected 1")
endif()
if(NOT EXISTS ${OUT})
  message(FATAL_ERROR "${OUT} was not written")
endif()
file(READ ${OUT} header LIMIT 24 HEX)
if(NOT header STREQUAL "89504e470d0a1a0a0000000d494844520000006500000065")
  message(FATAL_ERROR "not a 101 by 101 PNG: ${header}")
endif()
