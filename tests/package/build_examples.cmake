# Configures and builds the example hosts in BINARY against the QIMAPI installed in ROOT. With
# SKIP_IN_GUEST, not in the emulated guest (QIMAPI_GUEST), whose machine makes the same build.
if(SKIP_IN_GUEST AND DEFINED ENV{QIMAPI_GUEST})
    message("not built in the emulated guest: its machine builds the same on its own route")
    return()
endif()
file(REMOVE_RECURSE ${BINARY})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -DQIMAPI_ROOT=${ROOT}
                        -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status)
    message(FATAL_ERROR "configuring the examples failed:\n${output}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status)
    message(FATAL_ERROR "building the examples failed:\n${output}")
endif()
