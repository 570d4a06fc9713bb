# Run by cpack once it has made a package (CPACK_POST_BUILD_SCRIPTS): writes every zip anew from
# the staged files with Info-ZIP's zip, so that the same files give the same bytes. CMake 3.25's
# zip writer takes its file times from SOURCE_DATE_EPOCH, but it stores the entries in the order
# the file system lists them (ext4 hashes names with a seed of its own on each machine), writes
# folder entries with the builder's umask, records the builder's user and group ids, and converts
# the times to the local time zone for the DOS date fields. Here the entries are the files alone
# (unzip tools make the folders), in byte order of their paths, without owners or extra times
# (zip -X), all at SOURCE_DATE_EPOCH in UTC. zip would also take options from the environment
# (ZIPOPT or ZIP: a -9 there changes every byte): not the caller's.
find_program(VELBRIN_ZIP zip)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.zip$")
        continue()
    endif()
    if(NOT VELBRIN_ZIP)
        message(FATAL_ERROR "zip (Debian package zip) is needed to write ${package}")
    endif()
    if(CPACK_INCLUDE_TOPLEVEL_DIRECTORY)
        set(base "${CPACK_TOPLEVEL_DIRECTORY}")
    else()
        set(base "${CPACK_TEMPORARY_DIRECTORY}")
    endif()
    file(GLOB_RECURSE entries RELATIVE "${base}" LIST_DIRECTORIES false
        "${CPACK_TEMPORARY_DIRECTORY}/*") # sorted
    list(JOIN entries "\n" listing)
    file(WRITE "${package}.files" "${listing}\n")
    file(REMOVE "${package}")
    execute_process(COMMAND touch --date=@${CPACK_VELBRIN_SOURCE_DATE_EPOCH} -- ${entries}
        WORKING_DIRECTORY "${base}" COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=ZIPOPT --unset=ZIP TZ=UTC0
            "${VELBRIN_ZIP}" -q -X -D "${package}" -@
        WORKING_DIRECTORY "${base}"
        INPUT_FILE "${package}.files"
        RESULT_VARIABLE status)
    file(REMOVE "${package}.files")
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "Writing ${package} failed: ${status}")
    endif()
endforeach()
