# Packs the shipped build with CPack into OUT and checks the archive: its name, and inside one
# folder of the same name exactly the install layout, the DLLs as the builds made them. The
# archive stays unpacked in OUT/unpacked, for the examples built against it.
include(${LAYOUT})
set(X64 ON)   # the shipped build is the 32-bit one
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CPACK} -G ZIP --config ${PRODUCT_BUILD}/CPackConfig.cmake -B ${OUT}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()
set(archive ${OUT}/QIMAPI-2.0-win32.zip)
if(NOT EXISTS ${archive})
    file(GLOB made ${OUT}/*.zip)
    message(FATAL_ERROR "no ${archive}; cpack made: ${made}")
endif()
file(MAKE_DIRECTORY ${OUT}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${archive} WORKING_DIRECTORY ${OUT}/unpacked RESULT_VARIABLE status)
if(status)
    message(FATAL_ERROR "cannot unpack ${archive}")
endif()
file(GLOB top RELATIVE ${OUT}/unpacked ${OUT}/unpacked/*)
if(NOT top STREQUAL "QIMAPI-2.0-win32")
    message(FATAL_ERROR "the archive should hold the one folder QIMAPI-2.0-win32, not: ${top}")
endif()
qimapi_check_layout(${OUT}/unpacked/QIMAPI-2.0-win32)
qimapi_check_same_file(${OUT}/unpacked/QIMAPI-2.0-win32/bin/QIMAPI.dll ${PRODUCT_BUILD}/bin/QIMAPI.dll)
qimapi_check_same_file(${OUT}/unpacked/QIMAPI-2.0-win32/bin/x64/QIMAPI.dll ${PRODUCT_BUILD}/x64-library/bin/QIMAPI.dll)
message(STATUS "${archive}: the install layout")
