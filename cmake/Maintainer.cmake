# The package's maintainer as "Name <address>", found the way Debian's tools (dch) find the
# person who builds a package:
#   the name:    DEBFULLNAME, else NAME, else the full name of the user's account, else the
#                user name;
#   the address: DEBEMAIL, else EMAIL (either may be "Name <address>", whose name then wins
#                unless DEBFULLNAME is set), else user@host with the host from /etc/mailname
#                or the machine's fully qualified name.
# A host without a dot (a machine with no domain, "vm") has no address mail could reach, and
# the package's checks refuse it: such an address gets the reserved top-level domain
# ".invalid", which says plainly that it reaches nobody. root is no person (lintian refuses it
# in a contact): a build by root names the user who called sudo, else, with neither variable
# set, the project's developers at such an address.
function(korvane_package_maintainer out)
    execute_process(COMMAND id -un OUTPUT_VARIABLE user OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
    if(user STREQUAL "root" AND NOT "$ENV{SUDO_USER}" STREQUAL "" AND
       NOT "$ENV{SUDO_USER}" STREQUAL "root")
        set(user "$ENV{SUDO_USER}")
    endif()
    if(user STREQUAL "" OR user STREQUAL "root")
        if("$ENV{DEBEMAIL}$ENV{EMAIL}" STREQUAL "")
            set(${out} "The Korvane developers <developers@korvane.invalid>" PARENT_SCOPE)
            return()
        endif()
        set(user "")
    endif()

    set(name "$ENV{DEBFULLNAME}")
    set(address "$ENV{DEBEMAIL}")
    if(address STREQUAL "")
        set(address "$ENV{EMAIL}")
    endif()
    if(address MATCHES "^(.*[^ ]) *<([^>]+)>$")
        if(name STREQUAL "")
            set(name "${CMAKE_MATCH_1}")
        endif()
        set(address "${CMAKE_MATCH_2}")
    endif()
    if(name STREQUAL "")
        set(name "$ENV{NAME}")
    endif()
    if(name STREQUAL "" AND user STREQUAL "")
        string(REGEX REPLACE "@.*" "" name "${address}")
    endif()
    if(name STREQUAL "")
        execute_process(COMMAND getent passwd "${user}" OUTPUT_VARIABLE account
                        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        string(REPLACE ":" ";" fields "${account}")
        list(LENGTH fields count)
        if(count GREATER 4)
            list(GET fields 4 gecos)
            string(REGEX REPLACE ",.*" "" name "${gecos}")
        endif()
    endif()
    if(name STREQUAL "")
        set(name "${user}")
    endif()

    if(address STREQUAL "")
        set(host "")
        if(EXISTS /etc/mailname)
            file(STRINGS /etc/mailname host LIMIT_COUNT 1)
        endif()
        if(host STREQUAL "")
            execute_process(COMMAND hostname --fqdn OUTPUT_VARIABLE host
                            OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        endif()
        if(host STREQUAL "")
            set(host "localhost")
        endif()
        if(NOT host MATCHES "\\.")
            set(host "${host}.invalid")
        endif()
        set(address "${user}@${host}")
    endif()
    set(${out} "${name} <${address}>" PARENT_SCOPE)
endfunction()
