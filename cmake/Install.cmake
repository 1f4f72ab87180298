# What `cmake --install` puts where (GNU layout below CMAKE_INSTALL_PREFIX): the two
# programs, the example, the desktop entry with its icons and AppStream data, the manual
# pages, bash completion and the package's documents.
set(KORVANE_EXAMPLES_DIR ${CMAKE_INSTALL_FULL_DATADIR}/korvane/examples)
# Where the AppStream screenshots (the pictures of docs/) are published.
set(KORVANE_SCREENSHOT_URL "https://korvane.org/docs" CACHE STRING
    "Web folder that holds the pictures of docs/, for the AppStream screenshots")

install(TARGETS korvane-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(KORVANE_BUILD_GUI)
    install(TARGETS korvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

file(GLOB KORVANE_EXAMPLE_SETUPS ${PROJECT_SOURCE_DIR}/examples/*.ini)
install(FILES ${PROJECT_SOURCE_DIR}/examples/events.dat ${KORVANE_EXAMPLE_SETUPS}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane/examples)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
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
foreach(page korvane korvane-batch)
    configure_file(${packaging}/man/${page}.1.in ${PROJECT_BINARY_DIR}/packaging/${page}.1 @ONLY)
    korvane_gzip(${PROJECT_BINARY_DIR}/packaging/${page}.1 ${PROJECT_BINARY_DIR}/packaging/${page}.1.gz)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/${page}.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
korvane_gzip(${packaging}/changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(korvane_compressed_docs ALL DEPENDS ${KORVANE_COMPRESSED})
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${packaging}/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvane)
