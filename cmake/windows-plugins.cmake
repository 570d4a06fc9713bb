# Qt's plugins in the Windows programs. The static Qt links into each program the plugins it is
# told to import, besides its default ones (the windows platform, the style and the image formats).
# A program that ends up without a platform plugin still links, then stops at its start with an
# error box: hence the checks at configure time (the plugin's package was read) and after the link
# (its class is in the program).

# velbrin_import_plugins(TARGET PLUGIN...): imports Qt's plugins PLUGIN (Qt6::Q...Plugin) into
# TARGET and fails the build when the linked program lacks one of them.
function(velbrin_import_plugins target)
    set(classes)
    foreach(plugin IN LISTS ARGN)
        if(NOT TARGET ${plugin})
            message(FATAL_ERROR "The Qt in ${Qt6_DIR} defines no ${plugin}: ${target} would link "
                "without it (was QT_SKIP_AUTO_PLUGIN_INCLUSION left on?)")
        endif()
        get_target_property(class ${plugin} QT_PLUGIN_CLASS_NAME)
        list(APPEND classes ${class})
    endforeach()
    qt_import_plugins(${target} INCLUDE ${ARGN})
    list(JOIN classes , classes)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DCLASSES=${classes}
            -P ${PROJECT_SOURCE_DIR}/cmake/check-plugins.cmake
        VERBATIM)
endfunction()
