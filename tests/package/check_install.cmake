# Installs BUILD into a fresh PREFIX and checks the tree: exactly the files of the layout, their
# SHA256SUMS, and the DLLs and qimhost exactly as the builds made them.
include(${LAYOUT})
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status)
    message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()
qimapi_check_layout(${PREFIX})
qimapi_check_same_file(${PREFIX}/bin/QIMAPI.dll ${BUILD}/bin/QIMAPI.dll)
qimapi_check_same_file(${PREFIX}/bin/qimhost.exe ${BUILD}/bin/qimhost.exe)
if(X64)
    qimapi_check_same_file(${PREFIX}/bin/x64/QIMAPI.dll ${BUILD}/x64-library/bin/QIMAPI.dll)
endif()
message(STATUS "${PREFIX}: the install layout")
