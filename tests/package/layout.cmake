# The files of an installed QIMAPI, relative to its folder, sorted; IMAGES is the folder of the
# manual's pictures, X64 is ON where the tree comes from a 32-bit build, which also ships the
# 64-bit library.
function(qimapi_layout out)
    file(GLOB pictures RELATIVE ${IMAGES} ${IMAGES}/*.png)
    list(TRANSFORM pictures PREPEND share/doc/qimapi/images/)
    set(files CHANGELOG.md LICENSE SHA256SUMS
        bin/QIMAPI.dll bin/qimhost.exe include/qimapi.h lib/QIMAPI.def lib/libqimapi.dll.a
        share/doc/qimapi/README.md share/doc/qimapi/qimapi.css share/doc/qimapi/qimapi.html
        share/doc/qimapi/qimapi.md ${pictures})
    if(X64)
        list(APPEND files bin/x64/QIMAPI.dll lib/x64/libqimapi.dll.a)
    endif()
    list(SORT files)
    set(${out} "${files}" PARENT_SCOPE)
endfunction()

# Stops with the files missing from folder and the ones it has too many, if any; then unless
# SHA256SUMS lists every other file of the folder once, with its SHA-256.
function(qimapi_check_layout folder)
    qimapi_layout(expected)
    file(GLOB_RECURSE found RELATIVE ${folder} ${folder}/*)
    list(SORT found)
    if(NOT found STREQUAL expected)
        set(missing ${expected})
        list(REMOVE_ITEM missing ${found})
        set(extra ${found})
        list(REMOVE_ITEM extra ${expected})
        message(FATAL_ERROR "${folder} is not laid out as expected.\nmissing: ${missing}\nnot expected: ${extra}")
    endif()
    file(STRINGS ${folder}/SHA256SUMS lines)
    set(listed "")
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
            message(FATAL_ERROR "SHA256SUMS: not a line of sha256sum: ${line}")
        endif()
        set(sum ${CMAKE_MATCH_1})
        set(file ${CMAKE_MATCH_2})
        list(APPEND listed ${file})
        file(SHA256 ${folder}/${file} actual)
        if(NOT sum STREQUAL actual)
            message(FATAL_ERROR "SHA256SUMS gives ${file} the SHA-256 ${sum}, but it has ${actual}")
        endif()
    endforeach()
    list(REMOVE_ITEM expected SHA256SUMS)
    if(NOT listed STREQUAL expected)
        message(FATAL_ERROR "SHA256SUMS lists ${listed}\ninstead of ${expected}")
    endif()
endfunction()

# Stops unless the two files are byte for byte the same.
function(qimapi_check_same_file file original)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${file} ${original} RESULT_VARIABLE differ)
    if(differ)
        message(FATAL_ERROR "${file} is not ${original}")
    endif()
endfunction()
