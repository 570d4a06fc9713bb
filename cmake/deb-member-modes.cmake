# Run by cpack after it has made a package (CPACK_POST_BUILD_SCRIPTS). cpack writes each member of
# a .deb's ar archive (debian-binary, control.tar.*, data.tar.*) with the mode of the file it packed,
# which the umask chose: 100600 under umask 077. This writes the archive again around the same
# members, every mode 100644; names, times, owners and contents stay as cpack wrote them.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(work "${deb}.members")
    file(REMOVE_RECURSE "${work}")
    file(ARCHIVE_EXTRACT INPUT "${deb}" DESTINATION "${work}")

    # An ar archive: "!<arch>\n", then for each member a 60-byte header of text fields (name 16,
    # time 12, owner 6, group 6, mode 8, size 10, "`\n") and the contents, padded to an even size.
    file(WRITE "${work}/header.0" "!<arch>\n")
    set(parts "${work}/header.0")
    file(SIZE "${deb}" end)
    set(offset 8)
    set(index 0)
    while(offset LESS end)
        math(EXPR index "${index} + 1")
        file(READ "${deb}" header OFFSET ${offset} LIMIT 60)
        string(SUBSTRING "${header}" 0 16 name)
        string(SUBSTRING "${header}" 48 10 size)
        string(STRIP "${name}" name)
        string(STRIP "${size}" size)
        if(NOT EXISTS "${work}/${name}" OR NOT size MATCHES "^[0-9]+$")
            message(FATAL_ERROR "${deb}: cannot read the ar member at byte ${offset}")
        endif()
        string(SUBSTRING "${header}" 0 40 before)
        string(SUBSTRING "${header}" 48 12 after)
        file(WRITE "${work}/header.${index}" "${before}100644  ${after}")
        list(APPEND parts "${work}/header.${index}" "${work}/${name}")
        math(EXPR offset "${offset} + 60 + ${size} + ${size} % 2")
        if(size MATCHES "[13579]$")
            file(WRITE "${work}/pad.${index}" "\n")
            list(APPEND parts "${work}/pad.${index}")
        endif()
    endwhile()

    execute_process(COMMAND "${CMAKE_COMMAND}" -E cat ${parts}
        OUTPUT_FILE "${deb}.new" RESULT_VARIABLE status)
    file(SIZE "${deb}.new" new_end)
    if(NOT status EQUAL 0 OR NOT new_end EQUAL end)
        message(FATAL_ERROR "${deb}: writing the archive again failed")
    endif()
    file(RENAME "${deb}.new" "${deb}")
    file(REMOVE_RECURSE "${work}")
endforeach()
