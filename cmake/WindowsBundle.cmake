# SPDX-FileCopyrightText: 2026 Orvalin developers
# SPDX-License-Identifier: GPL-3.0-or-later

# A Windows build carries everything it runs with in its application folder:
# the Qt libraries and the plugins the program loads, the compiler's runtime
# libraries, the tools and the companion files. Windows looks for libraries
# beside the program first and Qt for plugins in its subfolders, so the build
# folder runs as it is (the tests too) and an installation is a copy of it.
# Qt's own deployment tool is a Windows program, so the list is kept here.

# Where scripts/windows put pdfimages.exe and cjpeg.exe; empty: the tools
# are looked for on PATH at run time.
set(ORVALIN_WINDOWS_TOOLS "" CACHE PATH "Folder with pdfimages.exe and cjpeg.exe for Windows")

set(orvalin_qt_libraries Qt6::Core Qt6::Gui Qt6::Widgets)
# platform, style and picture plugins, each with the subfolder Qt loads it from
set(orvalin_qt_plugins
    Qt6::QWindowsIntegrationPlugin platforms
    Qt6::QWindowsVistaStylePlugin styles
    Qt6::QICOPlugin imageformats)
# Only the tests need these: the headless platform, reading back JPEG files
# and the test library.
set(orvalin_test_plugins
    Qt6::QOffscreenIntegrationPlugin platforms
    Qt6::QJpegPlugin imageformats)

set(orvalin_runtime_libraries)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine OUTPUT_VARIABLE triple OUTPUT_STRIP_TRAILING_WHITESPACE)
foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" AND EXISTS /usr/${triple}/lib/${name})
        # The threads library lies with the target's libraries, not the compiler's.
        set(path /usr/${triple}/lib/${name})
    endif()
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${name} not found: Windows programs built with ${CMAKE_CXX_COMPILER} need it")
    endif()
    list(APPEND orvalin_runtime_libraries "${path}")
endforeach()

set(orvalin_tools)
if(ORVALIN_WINDOWS_TOOLS)
    foreach(tool pdfimages.exe cjpeg.exe)
        if(NOT EXISTS "${ORVALIN_WINDOWS_TOOLS}/${tool}")
            message(FATAL_ERROR "${ORVALIN_WINDOWS_TOOLS}/${tool} is missing")
        endif()
        list(APPEND orvalin_tools "${ORVALIN_WINDOWS_TOOLS}/${tool}")
    endforeach()
endif()

# Into the application folder of the build, on every build.
set(copies)
foreach(file IN LISTS orvalin_runtime_libraries orvalin_tools)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${ORVALIN_APP_DIR})
endforeach()
foreach(library IN LISTS orvalin_qt_libraries ITEMS Qt6::Test)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${library}> ${ORVALIN_APP_DIR})
endforeach()
set(plugins ${orvalin_qt_plugins} ${orvalin_test_plugins})
while(plugins)
    list(POP_FRONT plugins plugin folder)
    list(APPEND copies
         COMMAND ${CMAKE_COMMAND} -E make_directory ${ORVALIN_APP_DIR}/${folder}
         COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${plugin}> ${ORVALIN_APP_DIR}/${folder})
endwhile()
add_custom_target(orvalin_windows_bundle ALL ${copies} VERBATIM)

# Into the installation, and so the installer: what the program needs, no more.
install(FILES ${orvalin_runtime_libraries} DESTINATION ${ORVALIN_INSTALL_APPDIR})
install(PROGRAMS ${orvalin_tools} DESTINATION ${ORVALIN_INSTALL_APPDIR})
foreach(library IN LISTS orvalin_qt_libraries)
    install(FILES $<TARGET_FILE:${library}> DESTINATION ${ORVALIN_INSTALL_APPDIR})
endforeach()
set(plugins ${orvalin_qt_plugins})
while(plugins)
    list(POP_FRONT plugins plugin folder)
    install(FILES $<TARGET_FILE:${plugin}> DESTINATION ${ORVALIN_INSTALL_APPDIR}/${folder})
endwhile()

# The program is a windowed one (no console), with its icon, version and
# manifest; the icon goes along for the installer and the Start menu.
set(ORVALIN_WINDOWS_RESOURCES ${PROJECT_SOURCE_DIR}/resources/windows)
configure_file(${ORVALIN_WINDOWS_RESOURCES}/orvalin.rc.in ${CMAKE_CURRENT_BINARY_DIR}/orvalin.rc @ONLY)
target_sources(orvalin PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/orvalin.rc)
set_target_properties(orvalin PROPERTIES WIN32_EXECUTABLE TRUE)
install(FILES ${ORVALIN_WINDOWS_RESOURCES}/orvalin.ico DESTINATION ${ORVALIN_INSTALL_APPDIR})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${ORVALIN_INSTALL_APPDIR} RENAME LICENSE.txt)
