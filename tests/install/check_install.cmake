# Installs the build into a fresh prefix and checks that a desktop finds everything it needs
# there: the programs, the entry's command and icon, the manual page, the metadata.
# Run with -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=... -DICON_SIZES="16;32;...".
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
    message(FATAL_ERROR "cmake --install failed: ${failed}")
endif()

set(expected
    bin/comrs232
    bin/comrs232-sim
    share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml
    share/man/man1/comrs232.1.gz
    share/man/man1/comrs232-sim.1.gz
    share/doc/comrs232/copyright
    share/doc/comrs232/changelog.gz)
file(STRINGS ${PREFIX}/share/applications/${APP_ID}.desktop entry)
foreach(line IN LISTS entry)
    if(line MATCHES "^Exec=([^ ]+)")
        list(APPEND expected bin/${CMAKE_MATCH_1})
    elseif(line MATCHES "^Icon=(.+)$")
        foreach(size IN LISTS ICON_SIZES)
            list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${CMAKE_MATCH_1}.png)
        endforeach()
    endif()
endforeach()
foreach(file IN LISTS expected)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

# The installed program runs from its new place, with no display.
execute_process(COMMAND ${PREFIX}/bin/comrs232 --help RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
    message(FATAL_ERROR "the installed comrs232 --help failed: ${failed}")
endif()
