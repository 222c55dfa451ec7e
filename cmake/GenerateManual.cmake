# Writes the reference manual: assembles qimapi.md from the export table, the declarations of
# qimapi.h and the notes beside the table, has cmark-gfm render it as the body of qimapi.html, and
# puts the stylesheet, a copy of the README and the pictures beside them.
# Usage: cmake -DTABLE=exports.table -DHEADER=qimapi.h -DNOTES=notes -DREADME=README.md
#        -DIMAGES=docs/images -DCMARK=cmark-gfm -DOUT=folder -P GenerateManual.cmake
#
# From the table: each export's name, ordinal, letters and help text. From qimapi.h: its C
# declaration, the "Returns ..." comment above it and the order in which the manual lists it.
# From the notes: NOTES/chapters.txt names the chapters in order ("key Title" a line),
# NOTES/intro.md opens the manual, NOTES/qimapi.css is the page's stylesheet, and per export
# NOTES/<key>/<Export>.md holds its notes: a line "Name: what it is" for each argument of its
# prototype line, in order, then a blank line and what a script can rely on, in Markdown ("## "
# headings sit below the remarks' own). NOTES/<key>/<Export>.example is a run of qimhost: script
# lines, each call followed by " => " and what qimhost prints for it where it prints a result.
# An export's section: its prototype line, ordinal, result and C declaration, its arguments, its
# help text, then under headings of their own the remarks of its notes, its example and its
# related functions.
# Any export without a declaration, notes or an example, and any notes or declaration without an
# export, stops the build. The related functions of an export are those its notes link to, those
# whose notes link to it, and those its example calls.
#
# Texts are handled a line at a time in plain variables, and only names go into CMake lists, so
# that ";" and brackets in texts stay what they are.

cmake_minimum_required(VERSION 3.20)   # policies of a script run with -P

function(fail message)
    message(FATAL_ERROR "Generating the manual: ${message}")
endfunction()

# Moves the first line of the variable named text_var into the variable named line_var, without
# its line end; the text keeps what follows.
macro(take_line text_var line_var)
    string(FIND "${${text_var}}" "\n" take_line_end)
    if(take_line_end EQUAL -1)
        set(${line_var} "${${text_var}}")
        set(${text_var} "")
    else()
        string(SUBSTRING "${${text_var}}" 0 ${take_line_end} ${line_var})
        math(EXPR take_line_end "${take_line_end} + 1")
        string(SUBSTRING "${${text_var}}" ${take_line_end} -1 ${text_var})
    endif()
endmacro()

function(read_text path out)
    file(READ "${path}" text)
    string(REPLACE "\r" "" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The export table: names in list order, and per name its ordinal, letters, C function and help
# text (lines ending in "\n").
read_text("${TABLE}" table)
set(exports "")
set(current "")
while(NOT "${table}" STREQUAL "")
    take_line(table line)
    if(line MATCHES "^#" OR line STREQUAL "")
        continue()
    elseif(line MATCHES "^\\|( (.*))?$")
        string(APPEND help_${current} "${CMAKE_MATCH_2}\n")
    elseif(line MATCHES "^([A-Za-z]+) +([0-9]+) +([IWLSV]) +([IWLS]+|V)( +as +([A-Za-z]+))?( +pending)?$")
        set(current "${CMAKE_MATCH_1}")
        set(ordinal_${current} "${CMAKE_MATCH_2}")
        set(result_${current} "${CMAKE_MATCH_3}")
        set(arguments_${current} "${CMAKE_MATCH_4}")
        set(function_${current} "${CMAKE_MATCH_6}")
        if(NOT function_${current})
            set(function_${current} "${current}")
        endif()
        set(help_${current} "")
        if(NOT CMAKE_MATCH_7)   # pending exports are not exported, so not in the manual
            list(APPEND exports "${current}")
            set(export_of_${function_${current}} "${current}")
            string(TOLOWER "${current}" anchor)
            set(name_of_${anchor} "${current}")
        endif()
    else()
        fail("unreadable line in ${TABLE}: ${line}")
    endif()
endwhile()

# The declarations of qimapi.h, in its order, each with the comment line above it.
read_text("${HEADER}" header)
set(declared "")
set(comment "")
while(NOT "${header}" STREQUAL "")
    take_line(header line)
    if(line MATCHES "^[A-Za-z_]+ WINAPI ([A-Za-z]+)\\(.*\\);$")
        set(function "${CMAKE_MATCH_1}")
        set(name "${export_of_${function}}")
        if(NOT name)
            fail("qimapi.h declares ${function}, which is not exported")
        endif()
        if(NOT comment MATCHES "^Returns ")
            fail("qimapi.h declares ${function} without a \"Returns ...\" comment above it")
        endif()
        set(declaration_${name} "${line}")
        set(returns_${name} "${comment}")
        list(APPEND declared "${name}")
    endif()
    if(line MATCHES "^/\\* (.*) \\*/$")
        set(comment "${CMAKE_MATCH_1}")
    else()
        set(comment "")
    endif()
endwhile()

# The chapters, and the notes and example of each export.
read_text("${NOTES}/chapters.txt" chapter_text)
set(chapters "")
while(NOT "${chapter_text}" STREQUAL "")
    take_line(chapter_text line)
    if(line MATCHES "^#" OR line STREQUAL "")
        continue()
    elseif(line MATCHES "^([a-z]+) +(.+)$")
        list(APPEND chapters "${CMAKE_MATCH_1}")
        set(title_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
    else()
        fail("unreadable line in ${NOTES}/chapters.txt: ${line}")
    endif()
endwhile()
file(GLOB note_files RELATIVE "${NOTES}" "${NOTES}/*/*.md" "${NOTES}/*/*.example")
foreach(note IN LISTS note_files)
    if(NOT note MATCHES "^([a-z]+)/([A-Za-z]+)\\.(md|example)$" OR NOT DEFINED title_${CMAKE_MATCH_1})
        fail("notes outside any chapter: ${note}")
    endif()
    set(name "${CMAKE_MATCH_2}")
    if(NOT name IN_LIST exports)
        fail("notes for ${name}, which is not exported: ${note}")
    endif()
    set(chapter_${name} "${CMAKE_MATCH_1}")
endforeach()
foreach(name IN LISTS exports)
    if(NOT DEFINED declaration_${name})
        fail("qimapi.h does not declare ${function_${name}} (the export ${name})")
    endif()
    if(NOT EXISTS "${NOTES}/${chapter_${name}}/${name}.md")
        fail("${name} has no notes (${NOTES}/<chapter>/${name}.md)")
    endif()
    if(NOT EXISTS "${NOTES}/${chapter_${name}}/${name}.example")
        fail("${name} has no example (${NOTES}/${chapter_${name}}/${name}.example)")
    endif()
endforeach()

# Adds other to the related functions of name, once.
function(relate name other)
    if(NOT other STREQUAL name AND NOT other IN_LIST related_${name})
        set(related_${name} ${related_${name}} ${other} PARENT_SCOPE)
    endif()
endfunction()

# The relations: the links of each export's notes, both ways, and the calls of its example.
foreach(name IN LISTS exports)
    read_text("${NOTES}/${chapter_${name}}/${name}.md" notes)
    string(REGEX MATCHALL "\\(#[a-z]+\\)" links "${notes}")
    foreach(link IN LISTS links)
        string(REGEX REPLACE "^\\(#(.*)\\)$" "\\1" anchor "${link}")
        set(other "${name_of_${anchor}}")
        if(other)
            relate(${name} ${other})
            relate(${other} ${name})
        endif()
    endforeach()
    read_text("${NOTES}/${chapter_${name}}/${name}.example" example)
    string(REGEX MATCHALL "(^|\n)[A-Za-z]+\\(" calls "${example}")
    foreach(call IN LISTS calls)
        string(REGEX REPLACE "[\n(]" "" call "${call}")
        if(NOT call IN_LIST exports)
            fail("${name}.example calls ${call}, which is not exported")
        endif()
        relate(${name} ${call})
    endforeach()
endforeach()

set(letter_I "32-bit integer")
set(letter_W "window handle or word")
set(letter_L "32-bit long")
set(letter_S "text")
set(result_letter_I "32-bit integer")
set(result_letter_W "32-bit value")
set(result_letter_L "32-bit long")
set(result_letter_S "result string")
set(result_letter_V "none")

# The argument names of a prototype line, such as "Result := SendMsg( Wnd , Msg )": names only,
# so a list serves.
function(prototype_arguments prototype out)
    if(NOT prototype MATCHES "\\((.*)\\)$")
        fail("no argument list in the prototype line ${prototype}")
    endif()
    string(STRIP "${CMAKE_MATCH_1}" inside)
    set(names "")
    if(NOT inside STREQUAL "")
        string(REPLACE "," ";" inside "${inside}")
        foreach(name IN LISTS inside)
            string(STRIP "${name}" name)
            list(APPEND names "${name}")
        endforeach()
    endif()
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

# An example as two blocks: the script (comments and calls) and what qimhost prints for it
# (each call, with " => " and its result where it has one).
function(example_blocks name out_script out_printed)
    read_text("${NOTES}/${chapter_${name}}/${name}.example" example)
    set(script "")
    set(printed "")
    while(NOT "${example}" STREQUAL "")
        take_line(example line)
        if(line STREQUAL "" OR line MATCHES "^#")
            string(APPEND script "${line}\n")
        elseif(line MATCHES "^([A-Za-z]+\\(.*\\))( =>( .*)?)?$")
            string(APPEND script "${CMAKE_MATCH_1}\n")
            string(APPEND printed "${line}\n")
        else()
            fail("${name}.example: neither a comment nor a call: ${line}")
        endif()
    endwhile()
    if(printed STREQUAL "")
        fail("${name}.example calls nothing")
    endif()
    string(STRIP "${script}" script)
    set(${out_script} "${script}\n" PARENT_SCOPE)
    set(${out_printed} "${printed}" PARENT_SCOPE)
endfunction()

# One export's section of the manual.
function(export_markdown name out)
    string(FIND "${help_${name}}" "\n" end)
    string(SUBSTRING "${help_${name}}" 0 ${end} prototype)
    prototype_arguments("${prototype}" argument_names)
    set(letters "${arguments_${name}}")
    if(letters STREQUAL "V")
        set(letters "")
    endif()
    string(LENGTH "${letters}" letter_count)
    list(LENGTH argument_names name_count)
    if(NOT letter_count EQUAL name_count)
        fail("${name}: ${name_count} argument names in its prototype line, ${letter_count} letters")
    endif()

    # The notes: a row for each argument line, then the text.
    read_text("${NOTES}/${chapter_${name}}/${name}.md" notes)
    set(rows "")
    if(name_count GREATER 0)
        math(EXPR last "${name_count} - 1")
        foreach(i RANGE ${last})
            list(GET argument_names ${i} argument)
            string(SUBSTRING "${letters}" ${i} 1 letter)
            take_line(notes line)
            if(NOT line MATCHES "^([A-Za-z]+): (.+)$" OR NOT CMAKE_MATCH_1 STREQUAL argument)
                fail("${name}.md: line ${i} should describe the argument ${argument} (\"${argument}: ...\")")
            endif()
            string(REPLACE "|" "\\|" description "${CMAKE_MATCH_2}")
            string(APPEND rows "| ${argument} | `${letter}` (${letter_${letter}}) | ${description} |\n")
        endforeach()
        take_line(notes line)
        if(NOT line STREQUAL "")
            fail("${name}.md: a blank line should follow the ${name_count} argument lines")
        endif()
    endif()
    string(REGEX REPLACE "(^|\n)## " "\\1##### " notes "${notes}")   # below the Remarks heading
    string(STRIP "${notes}" notes)

    set(returns "${returns_${name}}")
    string(REGEX REPLACE "^Returns a result string: " "" returns "${returns}")   # the letter says so
    string(SUBSTRING "${returns}" 0 1 initial)
    string(TOLOWER "${initial}" initial)
    string(SUBSTRING "${returns}" 1 -1 rest)
    set(alias "")
    if(NOT function_${name} STREQUAL name)
        set(alias " (qimapi.h declares the export ${name} as ${function_${name}}: <windows.h> has a ${name} of its own)")
    endif()
    # A help text that ends in CR LF shows no line after it: the table's last "|" line is empty.
    string(REGEX REPLACE "\n\n$" "\n" help "${help_${name}}")
    example_blocks(${name} script printed)
    string(TOLOWER "${name}" anchor)
    set(result "${result_${name}}")

    set(md "<section id=\"${anchor}\" class=\"function\">\n\n### ${name}\n\n")
    string(APPEND md "```prototype\n${prototype}\n```\n\n")
    string(APPEND md "- **Ordinal:** ${ordinal_${name}}\n")
    string(APPEND md "- **Result:** `${result}` (${result_letter_${result}}): ${initial}${rest}\n")
    string(APPEND md "- **C:** `${declaration_${name}}`${alias}\n\n")
    if(name_count GREATER 0)
        string(APPEND md "| Argument | Letter | Meaning |\n|---|---|---|\n${rows}\n")
    else()
        string(APPEND md "No arguments.\n\n")
    endif()
    string(APPEND md "The help text as the host shows it:\n\n```help\n${help}```\n\n")
    if(NOT notes STREQUAL "")
        string(APPEND md "#### Remarks\n\n${notes}\n\n")
    endif()
    string(APPEND md "#### Example\n\n```qim\n${script}```\n\nWhat `qimhost run` prints for it:\n\n```text\n${printed}```\n\n")
    set(links "")
    foreach(other IN LISTS declared)   # in the manual's order
        if(other IN_LIST related_${name})
            string(TOLOWER "${other}" other_anchor)
            list(APPEND links "[${other}](#${other_anchor})")
        endif()
    endforeach()
    if(links)
        list(JOIN links ", " links)
        string(APPEND md "#### Related functions\n\n${links}\n\n")
    endif()
    string(APPEND md "</section>\n\n")
    set(${out} "${md}" PARENT_SCOPE)
endfunction()

# The whole manual: the title, the index of chapters and functions, the introduction, then each
# chapter with its exports in the order of qimapi.h.
set(contents "")
set(body "")
foreach(chapter IN LISTS chapters)
    set(members "")
    foreach(name IN LISTS declared)
        if(chapter_${name} STREQUAL chapter)
            list(APPEND members "${name}")
        endif()
    endforeach()
    if(NOT members)
        fail("chapter ${chapter} has no exports")
    endif()
    set(title "${title_${chapter}}")
    string(TOLOWER "${title}" anchor)   # as Markdown renderers make them from a heading
    string(REGEX REPLACE "[^a-z0-9]+" "-" anchor "${anchor}")
    string(APPEND contents "- [${title}](#${anchor})\n")
    string(APPEND body "<section id=\"${anchor}\" class=\"chapter\">\n\n## ${title}\n\n")
    foreach(name IN LISTS members)
        string(TOLOWER "${name}" name_anchor)
        string(APPEND contents "  - [${name}](#${name_anchor})\n")
        export_markdown(${name} section)
        string(APPEND body "${section}")
    endforeach()
    string(APPEND body "</section>\n\n")
endforeach()
read_text("${NOTES}/intro.md" intro)
string(STRIP "${intro}" intro)
set(markdown "# QIMAPI 2.0 reference\n\n<nav id=\"contents\">\n\n## Contents\n\n- [Introduction](#introduction)\n")
string(APPEND markdown "${contents}\n</nav>\n\n<section id=\"introduction\" class=\"chapter\">\n\n## Introduction\n\n")
string(APPEND markdown "${intro}\n\n</section>\n\n${body}")
string(REGEX REPLACE "\n+$" "\n" markdown "${markdown}")
file(WRITE "${OUT}/qimapi.md" "${markdown}")

# The page: cmark-gfm's HTML of the Markdown, raw HTML (the sections and the index) kept, in a
# document that links the stylesheet beside it.
execute_process(COMMAND "${CMARK}" --unsafe --extension table "${OUT}/qimapi.md"
                RESULT_VARIABLE status OUTPUT_VARIABLE html ERROR_VARIABLE errors)
if(status OR NOT errors STREQUAL "")
    fail("${CMARK} failed (${status}): ${errors}")
endif()
file(WRITE "${OUT}/qimapi.html" "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<title>QIMAPI 2.0 reference</title>
<link rel=\"stylesheet\" href=\"qimapi.css\">
</head>
<body>
<main>
${html}</main>
</body>
</html>
")
configure_file("${NOTES}/qimapi.css" "${OUT}/qimapi.css" COPYONLY)

# The README beside the manual, its pictures where the manual's are.
read_text("${README}" readme)
string(REPLACE "](docs/images/" "](images/" readme "${readme}")
file(WRITE "${OUT}/README.md" "${readme}")
file(REMOVE_RECURSE "${OUT}/images")
file(COPY "${IMAGES}/" DESTINATION "${OUT}/images" FILES_MATCHING PATTERN "*.png")
