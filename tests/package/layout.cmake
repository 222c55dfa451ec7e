# The files of an installed QIMAPI, relative to its folder, sorted; IMAGES is the folder of the
# manual's pictures.
function(qimapi_layout out)
    file(GLOB pictures RELATIVE ${IMAGES} ${IMAGES}/*.png)
    list(TRANSFORM pictures PREPEND share/doc/qimapi/images/)
    set(files bin/QIMAPI.dll bin/qimhost.exe include/qimapi.h lib/QIMAPI.def lib/libqimapi.dll.a
        share/doc/qimapi/README.md share/doc/qimapi/qimapi.html share/doc/qimapi/qimapi.md ${pictures})
    list(SORT files)
    set(${out} "${files}" PARENT_SCOPE)
endfunction()

# Stops with the files missing from folder and the ones it has too many, if any.
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
endfunction()

# Stops unless the two files are byte for byte the same.
function(qimapi_check_same_file file original)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${file} ${original} RESULT_VARIABLE differ)
    if(differ)
        message(FATAL_ERROR "${file} is not ${original}")
    endif()
endfunction()
