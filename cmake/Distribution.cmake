# What a host developer downloads. `cmake --install <build> --prefix <folder>` lays it out and
# `cpack -G ZIP` in the build folder packs the same layout into QIMAPI-2.0-win32.zip:
#   LICENSE, CHANGELOG.md     the licence and the changes of each version
#   SHA256SUMS                every other file with its SHA-256, as sha256sum -c reads them
#   bin/QIMAPI.dll            the shipped library, as the build made it
#   bin/qimhost.exe           the command-line host
#   bin/x64/QIMAPI.dll        the same library for 64-bit hosts (32-bit builds only)
#   include/qimapi.h          the declarations of the exports for C and C++
#   lib/libqimapi.dll.a       the import library for MinGW hosts (-lqimapi)
#   lib/QIMAPI.def            the module definition it is made from, for other toolchains
#   lib/x64/libqimapi.dll.a   the import library of the 64-bit library (32-bit builds only)
#   share/doc/qimapi/         the reference manual (HTML with its stylesheet, and Markdown), its
#                             pictures, the README

# The import library, made from the module definition that names each export as qimapi.h
# declares it. On 32-bit x86 its symbols carry the argument bytes (SendMsg@16) and the names it
# imports do not (-k).
set(QIMAPI_IMPORT_DEF ${GENERATED}/QIMAPI-imports.def)
set(QIMAPI_IMPORT_LIBRARY ${GENERATED}/libqimapi.dll.a)
set(QIMAPI_DLLTOOL_FLAGS "")
if(QIMAPI_STDCALL)
    set(QIMAPI_DLLTOOL_FLAGS -k)
endif()
add_custom_command(
    OUTPUT ${QIMAPI_IMPORT_LIBRARY}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${QIMAPI_IMPORT_LIBRARY}
    COMMAND ${CMAKE_DLLTOOL} -d ${QIMAPI_IMPORT_DEF} -l ${QIMAPI_IMPORT_LIBRARY} ${QIMAPI_DLLTOOL_FLAGS}
    DEPENDS ${QIMAPI_IMPORT_DEF}
    COMMENT "Making the import library from the module definition")
add_custom_target(import_library ALL DEPENDS ${QIMAPI_IMPORT_LIBRARY})
if(QIMAPI_LIBRARY_ONLY)
    return()
endif()

# The 64-bit library of the package: the same sources built by the x86_64 toolchain, in a build
# of its own that makes only the library and its import library.
if(QIMAPI_STDCALL)
    include(ExternalProject)
    set(QIMAPI_X64_BUILD ${CMAKE_BINARY_DIR}/x64-library)
    ExternalProject_Add(x64_library
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${QIMAPI_X64_BUILD}
        CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-x86_64.cmake -DQIMAPI_LIBRARY_ONLY=ON
        BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target QIMAPI import_library
        BUILD_ALWAYS ON   # its own build decides what the sources' changes need
        INSTALL_COMMAND ""
        BUILD_BYPRODUCTS ${QIMAPI_X64_BUILD}/bin/QIMAPI.dll ${QIMAPI_X64_BUILD}/generated/libqimapi.dll.a)
endif()

# The reference manual, from the export table, qimapi.h and the notes beside the table, rendered
# by cmark-gfm.
find_program(CMARK_GFM cmark-gfm REQUIRED)
set(QIMAPI_MANUAL_DIR ${CMAKE_BINARY_DIR}/doc)
file(GLOB_RECURSE QIMAPI_MANUAL_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/frame/notes/* ${CMAKE_SOURCE_DIR}/docs/images/*.png)
set(QIMAPI_MANUAL ${QIMAPI_MANUAL_DIR}/qimapi.html ${QIMAPI_MANUAL_DIR}/qimapi.css ${QIMAPI_MANUAL_DIR}/qimapi.md
    ${QIMAPI_MANUAL_DIR}/README.md)
add_custom_command(
    OUTPUT ${QIMAPI_MANUAL}
    COMMAND ${CMAKE_COMMAND} -DTABLE=${EXPORT_TABLE} -DHEADER=${CMAKE_SOURCE_DIR}/src/frame/qimapi.h
            -DNOTES=${CMAKE_SOURCE_DIR}/src/frame/notes -DREADME=${CMAKE_SOURCE_DIR}/README.md
            -DIMAGES=${CMAKE_SOURCE_DIR}/docs/images -DCMARK=${CMARK_GFM} -DOUT=${QIMAPI_MANUAL_DIR}
            -P ${CMAKE_SOURCE_DIR}/cmake/GenerateManual.cmake
    DEPENDS ${EXPORT_TABLE} ${CMAKE_SOURCE_DIR}/src/frame/qimapi.h ${CMAKE_SOURCE_DIR}/README.md
            ${QIMAPI_MANUAL_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/GenerateManual.cmake
    COMMENT "Generating the reference manual")
add_custom_target(manual ALL DEPENDS ${QIMAPI_MANUAL})

# The files themselves, not the targets: the DLL exactly as linked (already stripped), and only
# the import library made above.
install(FILES $<TARGET_FILE:QIMAPI> DESTINATION bin)
install(PROGRAMS $<TARGET_FILE:qimhost> DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/src/frame/qimapi.h DESTINATION include)
install(FILES ${QIMAPI_IMPORT_LIBRARY} DESTINATION lib)
install(FILES ${QIMAPI_IMPORT_DEF} DESTINATION lib RENAME QIMAPI.def)
install(FILES ${QIMAPI_MANUAL} DESTINATION share/doc/qimapi)
install(DIRECTORY ${QIMAPI_MANUAL_DIR}/images DESTINATION share/doc/qimapi)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/CHANGELOG.md DESTINATION .)
if(QIMAPI_STDCALL)
    install(FILES ${QIMAPI_X64_BUILD}/bin/QIMAPI.dll DESTINATION bin/x64)
    install(FILES ${QIMAPI_X64_BUILD}/generated/libqimapi.dll.a DESTINATION lib/x64)
endif()
# Last: SHA256SUMS, the files installed above with their SHA-256, relative to the folder.
install(CODE [[
    set(qimapi_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    set(qimapi_sums "")
    set(qimapi_files "")
    foreach(qimapi_file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
        file(RELATIVE_PATH qimapi_file "${qimapi_root}" "${qimapi_file}")
        list(APPEND qimapi_files "${qimapi_file}")
    endforeach()
    list(REMOVE_DUPLICATES qimapi_files)
    list(SORT qimapi_files)
    foreach(qimapi_file IN LISTS qimapi_files)
        file(SHA256 "${qimapi_root}/${qimapi_file}" qimapi_sum)
        string(APPEND qimapi_sums "${qimapi_sum}  ${qimapi_file}\n")
    endforeach()
    message(STATUS "Installing: ${qimapi_root}/SHA256SUMS")
    file(WRITE "${qimapi_root}/SHA256SUMS" "${qimapi_sums}")
]])

set(CPACK_PACKAGE_NAME QIMAPI)
set(CPACK_PACKAGE_VENDOR "The QIMAPI project")
set(CPACK_PACKAGE_VERSION 2.0)
set(CPACK_GENERATOR ZIP)
if(QIMAPI_STDCALL)
    set(CPACK_SYSTEM_NAME win32)
else()
    set(CPACK_SYSTEM_NAME win64)   # the 64-bit test build; the shipped package is the 32-bit one
endif()
include(CPack)
