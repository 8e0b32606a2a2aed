# Installs the build tree into a scratch prefix, builds the consumer project against it
# and runs it: cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -P ConsumerTest.cmake
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}\n${err}")
  endif()
  message(STATUS "${out}")
endfunction()

step(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(GLOB private_headers ${prefix}/include/linkora/line/*Private*.h ${prefix}/include/linkora/line/*Context*.h
     ${prefix}/include/linkora/line/TnvCallRecord*.h)
if(private_headers)
  message(FATAL_ERROR "private headers were installed: ${private_headers}")
endif()
step(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G Ninja -DCMAKE_BUILD_TYPE=Release
     -DCMAKE_PREFIX_PATH=${prefix})
step(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
step(${WORK_DIR}/build/consumer ${WORK_DIR}/telephony.conf)
