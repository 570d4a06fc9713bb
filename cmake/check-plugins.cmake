# Fails when the program PROGRAM lacks one of Qt's plugin classes CLASSES (comma-separated). The
# class name stays in a stripped program: it is in the plugin's metadata and in its type name.
#   cmake -DPROGRAM=velbrin.exe -DCLASSES=QWindowsIntegrationPlugin -P check-plugins.cmake
string(REPLACE , ";" classes "${CLASSES}")
foreach(class IN LISTS classes)
    file(STRINGS "${PROGRAM}" found LIMIT_COUNT 1 REGEX "${class}")
    if(NOT found)
        file(REMOVE "${PROGRAM}") # else the next build would take it as up to date
        message(FATAL_ERROR "${PROGRAM} holds no ${class}: Qt's plugin was not linked in")
    endif()
endforeach()
