# Builds that give the same bytes wherever and whenever they run, so that anyone can check a
# download against the source: release packages, the exe and the archives depend on the source
# alone, not on the folder, the clock, the time zone or the umask of the build.
#
# VELBRIN_SOURCE_DATE_EPOCH is the one time stamp that goes into anything built: the time of the
# last commit. It comes from, in this order:
#   - the environment's SOURCE_DATE_EPOCH, for distributions that set it themselves;
#   - packaging/source-date-epoch, which `git archive` fills in (export-subst), so an unpacked
#     source archive knows its commit without git;
#   - `git log` in a clone;
#   - the time CMakeLists.txt was last changed, for a copied tree that has neither.

set(velbrin_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT velbrin_epoch MATCHES "^[0-9]+$")
    file(STRINGS "${PROJECT_SOURCE_DIR}/packaging/source-date-epoch" velbrin_epoch LIMIT_COUNT 1)
endif()
if(NOT velbrin_epoch MATCHES "^[0-9]+$")
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
            WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
            OUTPUT_VARIABLE velbrin_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
endif()
if(NOT velbrin_epoch MATCHES "^[0-9]+$")
    file(TIMESTAMP "${PROJECT_SOURCE_DIR}/CMakeLists.txt" velbrin_epoch "%s" UTC)
endif()
set(VELBRIN_SOURCE_DATE_EPOCH "${velbrin_epoch}")

# Every custom command (rcc, icon and installer tools) and cpack see the same time.
set_property(GLOBAL PROPERTY RULE_LAUNCH_CUSTOM
    "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VELBRIN_SOURCE_DATE_EPOCH}")
set(CPACK_VELBRIN_SOURCE_DATE_EPOCH "${VELBRIN_SOURCE_DATE_EPOCH}")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/cpack-environment.cmake")

# No build folder in a binary (__FILE__, debug information) of the configurations releases are
# built in: Release, and None, the one debhelper configures. dpkg-buildflags maps the folder too,
# but not one whose path has unusual characters (spaces, quotes...); this map holds for any. Debug and RelWithDebInfo (the dev preset) keep their absolute paths, so that a debugger
# finds the sources.
add_compile_options("$<$<CONFIG:Release,MinSizeRel,None>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
    "$<$<CONFIG:Release,MinSizeRel,None>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")

# No link time in the header of a Windows program (the mingw-w64 linker writes one by default).
if(MINGW)
    add_link_options(-Wl,--no-insert-timestamp)
endif()

# Folders made by an install get these permissions, less what the umask takes away (CMake 3.25
# makes them with mkdir and its mode). So cpack runs scripts that fix packages: staged folders 755
# before it packs (cpack-folder-modes.cmake); after, zips written anew in a fixed order, without
# owners or folder entries (cpack-zip.cmake).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/cpack-folder-modes.cmake")
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/cpack-zip.cmake")
