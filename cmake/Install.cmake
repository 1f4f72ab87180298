# What `cmake --install` puts where (GNU layout below CMAKE_INSTALL_PREFIX): the two
# programs, the example, the desktop entry with its icons and AppStream data, the manual
# pages, bash completion and the package's documents.
set(KORVANE_EXAMPLES_DIR ${CMAKE_INSTALL_FULL_DATADIR}/korvane/examples)

install(TARGETS korvane-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The movie command of korvane-batch, a program of its own (see src/batch/CMakeLists.txt).
install(TARGETS korvane-batch-movie RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/korvane)
if(KORVANE_BUILD_GUI)
    install(TARGETS korvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

file(GLOB KORVANE_EXAMPLE_SETUPS ${PROJECT_SOURCE_DIR}/examples/*.ini)
install(FILES ${PROJECT_SOURCE_DIR}/examples/events.dat ${KORVANE_EXAMPLE_SETUPS}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane/examples)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
# The desktop side: its menu entry, icons and AppStream data.
if(KORVANE_BUILD_GUI)
    install(FILES ${packaging}/${KORVANE_DESKTOP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    foreach(size 16 32 48 64 128 256)
        install(FILES ${packaging}/icons/korvane-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${KORVANE_DESKTOP_ID}.png)
    endforeach()
    install(FILES ${packaging}/icons/korvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${KORVANE_DESKTOP_ID}.svg)

    configure_file(${packaging}/${KORVANE_DESKTOP_ID}.metainfo.xml.in
        ${PROJECT_BINARY_DIR}/packaging/${KORVANE_DESKTOP_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/${KORVANE_DESKTOP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

install(FILES ${packaging}/completion/korvane-batch
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Manual pages and the change log are installed compressed, as Debian's policy asks.
find_program(KORVANE_GZIP gzip REQUIRED)
set(KORVANE_COMPRESSED)
function(korvane_gzip source target)
    add_custom_command(OUTPUT ${target}
        COMMAND sh -c "${KORVANE_GZIP} -9nc '${source}' > '${target}'"
        DEPENDS ${source} VERBATIM)
    set(KORVANE_COMPRESSED ${KORVANE_COMPRESSED} ${target} PARENT_SCOPE)
endfunction()
set(KORVANE_MAN_PAGES korvane-batch)
if(KORVANE_BUILD_GUI)
    list(APPEND KORVANE_MAN_PAGES korvane)
endif()
foreach(page ${KORVANE_MAN_PAGES})
    set(page_file ${PROJECT_BINARY_DIR}/packaging/${page}.1)
    configure_file(${packaging}/man/${page}.1.in ${page_file} @ONLY)
    korvane_gzip(${page_file} ${page_file}.gz)
    install(FILES ${page_file}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The package's maintainer, in its control file (cmake/Package.cmake) and change log:
# whoever builds the package, found as Debian's own tools find them (cmake/Maintainer.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/Maintainer.cmake)
korvane_package_maintainer(KORVANE_PACKAGE_MAINTAINER)
configure_file(${packaging}/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
korvane_gzip(${PROJECT_BINARY_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(korvane_compressed_docs ALL DEPENDS ${KORVANE_COMPRESSED})
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${packaging}/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvane)
