# The about window `frmAbout` (Qt Widgets). It shows the program's title and version as the
# project() call gives them.
add_library(velbrin_about STATIC
    about_window.cpp about_window.h
    calculator.xpm
    task_bar.h)
add_library(velbrin::about ALIAS velbrin_about)
target_include_directories(velbrin_about PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velbrin_about PUBLIC velbrin::style Qt6::Widgets PRIVATE velbrin::launcher)
target_compile_definitions(velbrin_about PRIVATE
    VELBRIN_TITLE="${PROJECT_NAME}"
    VELBRIN_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    VELBRIN_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    VELBRIN_VERSION_PATCH=${PROJECT_VERSION_PATCH})
velbrin_warnings(velbrin_about)

# Keeping the window off the task bar takes one request of its own on X11, and an owner that is
# never shown on Windows; elsewhere the window type is enough.
get_target_property(velbrin_qt_gui_features Qt6::Gui QT_ENABLED_PUBLIC_FEATURES)
find_package(X11)
if(WIN32)
    target_sources(velbrin_about PRIVATE task_bar_win.cpp)
elseif("xcb" IN_LIST velbrin_qt_gui_features AND TARGET X11::xcb)
    target_sources(velbrin_about PRIVATE task_bar_x11.cpp)
    target_link_libraries(velbrin_about PRIVATE X11::xcb)
else()
    target_sources(velbrin_about PRIVATE task_bar_none.cpp)
endif()
