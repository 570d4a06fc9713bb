# velbrin.exe's resources, included by app/CMakeLists.txt in Windows builds: the program's ball as
# the icon Explorer, the task bar and the installer's shortcut show, the version information of
# the file's Properties, and the manifest (velbrin.exe.manifest). velbrin.rc.in is configured with
# the project's name, description and version, so these live in one place, CMakeLists.txt.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(VELBRIN_ICOTOOL icotool REQUIRED)

# 16 to 64 pixels as bitmaps, 256 as PNG (which Windows takes for that size since Vista).
set(velbrin_icon_folder ${CMAKE_CURRENT_BINARY_DIR}/windows-icon)
set(velbrin_icon_bitmaps)
foreach(size 16 24 32 48 64 256)
    velbrin_render_icon(${size} ${velbrin_icon_folder}/velbrin-${size}.png)
    list(APPEND velbrin_icon_bitmaps ${velbrin_icon_folder}/velbrin-${size}.png)
endforeach()
list(POP_BACK velbrin_icon_bitmaps velbrin_icon_png)
set(velbrin_icon ${velbrin_icon_folder}/velbrin.ico)
add_custom_command(OUTPUT ${velbrin_icon}
    COMMAND ${VELBRIN_ICOTOOL} --create --output=${velbrin_icon} ${velbrin_icon_bitmaps}
        --raw=${velbrin_icon_png}
    DEPENDS ${velbrin_icon_bitmaps} ${velbrin_icon_png}
    VERBATIM)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE VELBRIN_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1
    ENCODING UTF-8)
set(VELBRIN_COMPANY "jbk工作室")
string(REPLACE "." "," VELBRIN_VERSION_COMMAS ${PROJECT_VERSION})
set(VELBRIN_ICON ${velbrin_icon})
set(VELBRIN_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/velbrin.exe.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/velbrin.rc.in velbrin.rc @ONLY)
target_sources(velbrin PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/velbrin.rc)
# windres reports no dependencies: the icon and the manifest are named here.
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/velbrin.rc PROPERTIES
    OBJECT_DEPENDS "${velbrin_icon};${VELBRIN_MANIFEST}")
# The installer takes the same icon for its shortcut and its entry in Apps & features.
set_target_properties(velbrin PROPERTIES VELBRIN_ICON ${velbrin_icon})

# Qt's paths: the program's own folder, not the build machine's (see qt.conf).
qt_add_resources(velbrin_app qt_paths PREFIX /qt/etc BASE ${CMAKE_CURRENT_LIST_DIR}
    FILES ${CMAKE_CURRENT_LIST_DIR}/qt.conf)
