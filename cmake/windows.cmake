# Toolchain of the windows preset: 64-bit Windows with mingw-w64 (posix threads), against the static
# Qt that scripts/build-qt-windows installs. VELBRIN_QT_WINDOWS (cache or environment variable)
# names that Qt's folder; without it the newest complete one in the cache folder is taken.
if(NOT VELBRIN_QT_WINDOWS AND DEFINED ENV{VELBRIN_QT_WINDOWS})
    set(VELBRIN_QT_WINDOWS "$ENV{VELBRIN_QT_WINDOWS}")
endif()
if(NOT VELBRIN_QT_WINDOWS)
    if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
        set(velbrin_cache "$ENV{XDG_CACHE_HOME}")
    else()
        set(velbrin_cache "$ENV{HOME}/.cache")
    endif()
    file(GLOB velbrin_qt_stamps "${velbrin_cache}/velbrin/qt-*-mingw-static/velbrin-complete")
    list(SORT velbrin_qt_stamps COMPARE NATURAL ORDER DESCENDING)
    if(NOT velbrin_qt_stamps)
        message(FATAL_ERROR "No Qt for Windows in ${velbrin_cache}/velbrin: run scripts/build-qt-windows")
    endif()
    list(GET velbrin_qt_stamps 0 velbrin_qt_stamp)
    get_filename_component(VELBRIN_QT_WINDOWS "${velbrin_qt_stamp}" DIRECTORY)
endif()
if(NOT EXISTS "${VELBRIN_QT_WINDOWS}/velbrin-complete")
    message(FATAL_ERROR "${VELBRIN_QT_WINDOWS} holds no complete Qt: run scripts/build-qt-windows")
endif()
set(VELBRIN_QT_WINDOWS "${VELBRIN_QT_WINDOWS}" CACHE PATH "The static mingw-w64 Qt")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELBRIN_QT_WINDOWS)

set(QT_CHAINLOAD_TOOLCHAIN_FILE "${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake")
include("${VELBRIN_QT_WINDOWS}/lib/cmake/Qt6/qt.toolchain.cmake")

# CTest runs the programs under Wine, in a prefix of this build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run.sh;${CMAKE_BINARY_DIR}/wine")
