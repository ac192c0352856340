# Installs the package's lintian overrides from SOURCE as FILE: each override with the comment
# above it, leaving out those whose tag this release's lintian does not know, which it would
# refuse as alien. Lintian reads them when it checks the package on the same release.
file(STRINGS "${SOURCE}" lines)
set(kept "")
set(comment "")
foreach(line IN LISTS lines)
    if(line MATCHES "^#")
        string(APPEND comment "${line}\n")
        continue()
    endif()
    if(line MATCHES "^skitalia: ([a-z0-9-]+)")
        execute_process(COMMAND lintian-explain-tags "${CMAKE_MATCH_1}"
            RESULT_VARIABLE unknown OUTPUT_QUIET ERROR_QUIET)
        if(NOT unknown)
            string(APPEND kept "${comment}${line}\n")
        endif()
    endif()
    set(comment "")
endforeach()
file(WRITE "${FILE}" "${kept}")
