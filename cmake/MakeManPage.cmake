# Writes a man page from its template and the program's own --help:
#   cmake -DPROGRAM=path -DTEMPLATE=name.1.in -DOUTPUT=name.1 -DVERSION=x.y.z -P MakeManPage.cmake
# In the template, @HELP@ becomes the program's --help, and @COMMANDS@ one subsection per
# command that help lists under "Commands:" (with that command's --help).

# Help text set verbatim: troff's escape character and the line-start control characters are
# escaped, and '-' becomes the minus sign, so that options can be copied from the page.
function(troff_verbatim text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} ".nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

function(help_of out)
    execute_process(COMMAND ${PROGRAM} ${ARGN} --help
        OUTPUT_VARIABLE text ERROR_VARIABLE error RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR text STREQUAL "")
        message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed (${status}): ${error}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

help_of(help)
troff_verbatim("${help}" HELP)

set(COMMANDS "")
string(FIND "${help}" "\nCommands:\n" at)
if(NOT at EQUAL -1)
    math(EXPR at "${at} + 11")
    string(SUBSTRING "${help}" ${at} -1 rest)
    string(FIND "${rest}" "\n\n" end)
    string(SUBSTRING "${rest}" 0 ${end} listing)
    string(REPLACE "\n" ";" lines "${listing}")
    foreach(line ${lines})
        if(NOT line MATCHES "^  ([a-z][a-z-]*) ")
            continue()  # a description that runs on to a second line
        endif()
        set(name ${CMAKE_MATCH_1})
        help_of(command_help ${name})
        troff_verbatim("${command_help}" text)
        string(APPEND COMMANDS ".SS ${name}\n${text}")
    endforeach()
endif()

string(TIMESTAMP DATE "%Y-%m-%d" UTC)  # SOURCE_DATE_EPOCH, when set, makes it reproducible
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
