# Runs the generator into a fresh OUT directory: cmake -DMAKESHOW=... -DOUT=... -P generate.cmake
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${MAKESHOW} ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "makeshow ${OUT} failed: ${status}")
endif()
