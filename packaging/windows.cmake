# The Windows package: `cpack` in the windows build folder makes velbrin-<version>-win64.zip with
# velbrin.exe, the licences and a short README in Chinese and English. velbrin.exe is one file:
# Qt, the C++ runtime and the windows platform plugin are linked in.
if(NOT TARGET velbrin) # a build without the windows (VELBRIN_GUI off) has nothing to pack
    return()
endif()

set(VELBRIN_QT_VERSION ${Qt6_VERSION})
set(VELBRIN_QT_LICENCES "${VELBRIN_QT_WINDOWS}/share/velbrin/licences")
file(STRINGS "${VELBRIN_QT_WINDOWS}/share/velbrin/debian-source-version"
    VELBRIN_QT_SOURCE_VERSION LIMIT_COUNT 1)
file(STRINGS "${VELBRIN_QT_WINDOWS}/share/velbrin/debian-release" VELBRIN_QT_DEBIAN_RELEASE LIMIT_COUNT 1)
if(NOT IS_DIRECTORY "${VELBRIN_QT_LICENCES}" OR NOT VELBRIN_QT_SOURCE_VERSION OR NOT VELBRIN_QT_DEBIAN_RELEASE)
    message(FATAL_ERROR "${VELBRIN_QT_WINDOWS} lacks the licence texts: run scripts/build-qt-windows")
endif()

# Windows editors read the texts best as UTF-8 with CRLF line ends.
configure_file(${CMAKE_CURRENT_LIST_DIR}/README-windows.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_CURRENT_LIST_DIR}/qt-notice.txt.in qt-notice.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt NEWLINE_STYLE CRLF)

install(TARGETS velbrin RUNTIME DESTINATION .)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
    DESTINATION .)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qt-notice.txt DESTINATION licences RENAME Qt-NOTICE.txt)
install(DIRECTORY ${VELBRIN_QT_LICENCES}/ DESTINATION licences/Qt)

set(CPACK_PACKAGE_NAME velbrin)
set(CPACK_PACKAGE_VENDOR "jbk工作室")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "平均数、方差计算器 (mean, variance and standard deviation)")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME velbrin-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# velbrin.exe is linked without symbols already; strip would write a time into its header, and the
# zip would then hold another exe than the build and the installer.
set(CPACK_STRIP_FILES OFF)

# The installer: `cmake --build --preset windows` makes velbrin-<version>-win64.msi beside the
# zip, with the files the zip holds. Built by msi.cmake with wixl and msibuild from msitools;
# faketime holds their clock at SOURCE_DATE_EPOCH.
find_program(VELBRIN_WIXL wixl REQUIRED)
find_program(VELBRIN_WIXL_HEAT wixl-heat REQUIRED)
find_program(VELBRIN_MSIBUILD msibuild REQUIRED)
find_program(VELBRIN_MSIINFO msiinfo REQUIRED)
find_program(VELBRIN_FAKETIME faketime REQUIRED)

# wixl stores only ASCII in the summary information; these two may be ASCII everywhere.
set(VELBRIN_MSI_MANUFACTURER "jbk Studio")
get_target_property(VELBRIN_MSI_ICON velbrin VELBRIN_ICON)
set(VELBRIN_MSI_SHORTCUT "${PROJECT_DESCRIPTION}")
set(VELBRIN_MSI_DOWNGRADE_MESSAGE
    "已经安装了较新版本的 velbrin。若要换用这个较旧的版本，请先卸载已安装的版本。")
set(VELBRIN_MSI_WXS ${CMAKE_CURRENT_LIST_DIR}/windows/velbrin.wxs.in)
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/msi.cmake.in msi.cmake @ONLY)

set(velbrin_msi ${PROJECT_BINARY_DIR}/${PROJECT_NAME}-${PROJECT_VERSION}-win64.msi)
add_custom_command(OUTPUT ${velbrin_msi}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${velbrin_msi} -P ${PROJECT_BINARY_DIR}/msi.cmake
    DEPENDS velbrin ${VELBRIN_MSI_ICON} ${PROJECT_BINARY_DIR}/msi.cmake ${VELBRIN_MSI_WXS}
    VERBATIM)
add_custom_target(velbrin_msi ALL DEPENDS ${velbrin_msi})
