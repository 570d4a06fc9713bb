# The about window `frmAbout` (Qt Widgets). It shows the program's title and version as the
# project() call gives them.
add_library(velbrin_about STATIC
    about_window.cpp about_window.h
    calculator.xpm
    task_bar.h
    window_activation.h)
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

# Bringing a window forward on Wayland takes an xdg-activation token the program asks for itself
# (window_activation_wayland.cpp), on Qt's own connection: Qt 6.5 and later hand that out through
# a public interface, Qt 6.4 through a QPA header (Debian: qt6-base-private-dev). Without them, or
# without libwayland-client, wayland-scanner and wayland-protocols, the window is raised and
# activated through Qt alone, as on X11.
find_path(WAYLAND_CLIENT_INCLUDE_DIR wayland-client.h)
find_library(WAYLAND_CLIENT_LIBRARY wayland-client)
find_program(WAYLAND_SCANNER wayland-scanner)
find_file(XDG_ACTIVATION_XML xdg-activation-v1.xml
    PATHS /usr/share/wayland-protocols PATH_SUFFIXES staging/xdg-activation NO_DEFAULT_PATH)
set(velbrin_qt_wayland OFF)
if(NOT WIN32 AND WAYLAND_CLIENT_INCLUDE_DIR AND WAYLAND_CLIENT_LIBRARY AND WAYLAND_SCANNER
        AND XDG_ACTIVATION_XML)
    if(Qt6Gui_VERSION VERSION_GREATER_EQUAL 6.5)
        if("wayland" IN_LIST velbrin_qt_gui_features)
            set(velbrin_qt_wayland ON)
        endif()
    elseif(TARGET Qt6::GuiPrivate)
        include(CheckIncludeFileCXX)
        set(CMAKE_REQUIRED_LIBRARIES Qt6::GuiPrivate)
        check_include_file_cxx(qpa/qplatformnativeinterface.h VELBRIN_HAVE_QPA_NATIVE_INTERFACE)
        unset(CMAKE_REQUIRED_LIBRARIES)
        if(VELBRIN_HAVE_QPA_NATIVE_INTERFACE)
            set(velbrin_qt_wayland ON)
            target_link_libraries(velbrin_about PRIVATE Qt6::GuiPrivate)
        endif()
    endif()
endif()
if(velbrin_qt_wayland)
    set(protocol ${CMAKE_CURRENT_BINARY_DIR}/wayland)
    file(MAKE_DIRECTORY ${protocol})
    add_custom_command(
        OUTPUT ${protocol}/xdg-activation-v1-client-protocol.h ${protocol}/xdg-activation-v1-protocol.c
        COMMAND ${WAYLAND_SCANNER} client-header ${XDG_ACTIVATION_XML}
            ${protocol}/xdg-activation-v1-client-protocol.h
        COMMAND ${WAYLAND_SCANNER} private-code ${XDG_ACTIVATION_XML}
            ${protocol}/xdg-activation-v1-protocol.c
        DEPENDS ${XDG_ACTIVATION_XML}
        VERBATIM)
    enable_language(C)
    target_sources(velbrin_about PRIVATE window_activation_wayland.cpp
        wayland_connection.cpp wayland_connection.h
        ${protocol}/xdg-activation-v1-client-protocol.h ${protocol}/xdg-activation-v1-protocol.c)
    target_include_directories(velbrin_about PRIVATE ${protocol} ${WAYLAND_CLIENT_INCLUDE_DIR})
    target_link_libraries(velbrin_about PRIVATE ${WAYLAND_CLIENT_LIBRARY})
else()
    message(STATUS "Wayland activation: not built (needs libwayland-dev, libwayland-bin, "
        "wayland-protocols, and on Qt 6.4 qt6-base-private-dev)")
    target_sources(velbrin_about PRIVATE window_activation_plain.cpp)
endif()
