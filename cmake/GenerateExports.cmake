# Writes the DLL_HEADER resource script and the module definition file from the export table.
# Usage: cmake -DTABLE=exports.table -DRC=descriptors.rc -DDEF=QIMAPI.def [-DSTDCALL=ON]
#        -P GenerateExports.cmake
# STDCALL: 32-bit x86, where the linker knows each export as Name@bytes-of-arguments; the
# module definition then holds the export to the argument count of its descriptor.

file(STRINGS "${TABLE}" lines)

set(names "")
set(rc "// Generated from exports.table: do not edit.\nLANGUAGE 0, 0\n")
set(current "")

# Ends the descriptor of the export being read: its last help line closes with the NUL.
macro(close_descriptor)
    if(current)
        string(APPEND rc "    \"${help_line}\\0\"\nEND\n")
        set(current "")
    endif()
endmacro()

foreach(line IN LISTS lines)
    if(line MATCHES "^#" OR line STREQUAL "")
        continue()
    elseif(line MATCHES "^\\|( (.*))?$")
        if(NOT current)
            message(FATAL_ERROR "help line before any export: ${line}")
        endif()
        set(text "${CMAKE_MATCH_2}")
        string(REPLACE "\\" "\\\\" text "${text}")
        string(REPLACE "\"" "\"\"" text "${text}")
        # Lines are joined by CR LF: a line is written once the next one shows it is not the last.
        if(NOT first_help_line)
            string(APPEND rc "    \"${help_line}\\r\\n\",\n")
        endif()
        set(help_line "${text}")
        set(first_help_line FALSE)
    elseif(line MATCHES "^([A-Za-z]+) +([0-9]+) +([IWLSV]) +([IWLS]+|V)( +as +([A-Za-z]+))?( +pending)?$")
        close_descriptor()
        set(name "${CMAKE_MATCH_1}")
        set(ordinal "${CMAKE_MATCH_2}")
        set(args "${CMAKE_MATCH_4}")
        set(function "${CMAKE_MATCH_6}")
        set(pending "${CMAKE_MATCH_7}")
        if(NOT function)
            set(function "${name}")
        endif()
        list(APPEND names "${name}")
        string(TOUPPER "${name}" resource)
        # Quoted, since some names (FILEVERSION) are resource-script keywords.
        string(APPEND rc "\n\"${resource}\" DLL_HEADER\nBEGIN\n    \"\\0${CMAKE_MATCH_3}\\0${args}\\0\",\n")
        set(current "${name}")
        set(first_help_line TRUE)
        if(NOT pending)
            set(symbol "${function}")
            if(STDCALL)
                # 4 bytes of stack per argument letter, none for V.
                string(LENGTH "${args}" count)
                if(args STREQUAL "V")
                    set(count 0)
                endif()
                math(EXPR bytes "${count} * 4")
                set(symbol "${function}@${bytes}")
            endif()
            string(LENGTH "000${ordinal}" digits)
            math(EXPR skip "${digits} - 3")
            string(SUBSTRING "000${ordinal}" ${skip} 3 key)
            list(APPEND exports "${key}|    ${name} = ${symbol} @${ordinal}")
        endif()
    else()
        message(FATAL_ERROR "unreadable line in ${TABLE}: ${line}")
    endif()
endforeach()
close_descriptor()

# The function list: every name with its NUL, then one more NUL.
string(APPEND rc "\n1 DLL_HEADER\nBEGIN\n")
foreach(name IN LISTS names)
    string(APPEND rc "    \"${name}\\0\",\n")
endforeach()
string(APPEND rc "    \"\\0\"\nEND\n")

# Exports by ordinal, so that the file reads like the export table it makes.
list(SORT exports)
set(def "; Generated from exports.table: do not edit.\nLIBRARY QIMAPI.dll\nEXPORTS\n")
foreach(entry IN LISTS exports)
    string(REGEX REPLACE "^[0-9]+\\|" "" entry "${entry}")
    string(APPEND def "${entry}\n")
endforeach()

file(WRITE "${RC}" "${rc}")
file(WRITE "${DEF}" "${def}")
