# Installs the build into a fresh prefix (as `make install PREFIX=...` does) and
# checks the result: the programs, their data, the libraries with their
# pkg-config files, the service's unit, the desktop entry, the document type,
# the icons and the AppStream data, the manual pages and the completion, and
# that the installed command-line program runs from there with its own data.
#
# cmake -DBUILD_DIR=... -DPREFIX=... -DWITH_EDITOR=0|1 -P CheckInstall.cmake

function(fail what)
    message(FATAL_ERROR "install check: ${what}")
endfunction()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    fail("cmake --install failed: ${out}")
endif()

set(programs lumavox-cli lumavox-server signsim modemsim dtusim)
if(WITH_EDITOR)
    list(APPEND programs lumavox)
endif()
foreach(program ${programs})
    if(NOT EXISTS ${PREFIX}/bin/${program} OR IS_SYMLINK ${PREFIX}/bin/${program})
        fail("bin/${program} is not installed as a program")
    endif()
endforeach()

file(GLOB libdir LIST_DIRECTORIES true ${PREFIX}/lib/*-linux-gnu*)
if(NOT libdir)
    set(libdir ${PREFIX}/lib)
endif()
file(RELATIVE_PATH libdir ${PREFIX} ${libdir})
foreach(file
        share/lumavox/KV2fnt.bin share/lumavox/KV3fnt.bin share/lumavox/KV4fnt.bin
        share/lumavox/Language/Multi_eng.ini
        ${libdir}/libNVSOCX.so ${libdir}/libGprslink.so
        ${libdir}/pkgconfig/nvsocx.pc ${libdir}/pkgconfig/gprslink.pc
        include/lumavox/NVSOCX.h include/lumavox/Gprslink.h
        share/applications/lumavox.desktop
        share/mime/packages/lumavox.xml
        share/metainfo/org.lumavox.Lumavox.metainfo.xml
        share/icons/hicolor/scalable/apps/lumavox.svg
        share/icons/hicolor/16x16/apps/lumavox.png
        share/icons/hicolor/48x48/apps/lumavox.png
        share/icons/hicolor/256x256/apps/lumavox.png
        lib/systemd/user/lumavox-server.service)
    if(NOT EXISTS ${PREFIX}/${file})
        fail("${file} missing")
    endif()
endforeach()
if(EXISTS ${PREFIX}/lib/lumavox)
    fail("lib/lumavox is installed: the programs keep no folder of their own")
endif()

# The unit and the pkg-config files name the prefix installed to.
file(STRINGS ${PREFIX}/lib/systemd/user/lumavox-server.service exec REGEX "^ExecStart=")
if(NOT exec MATCHES "^ExecStart=${PREFIX}/bin/lumavox-server ")
    fail("the unit starts ${exec}")
endif()
file(STRINGS ${PREFIX}/${libdir}/pkgconfig/nvsocx.pc prefix_line REGEX "^prefix=")
if(NOT prefix_line STREQUAL "prefix=${PREFIX}")
    fail("nvsocx.pc has ${prefix_line}")
endif()

# The manual pages, compressed, and the completion of lumavox-cli.
foreach(page man1/lumavox.1 man1/lumavox-cli.1 man1/lumavox-server.1 man1/signsim.1
             man1/modemsim.1 man1/dtusim.1 man3/NVSOCX.3 man3/Gprslink.3)
    set(file ${PREFIX}/share/man/${page}.gz)
    if(NOT EXISTS ${file})
        fail("share/man/${page}.gz missing")
    endif()
    file(READ ${file} magic LIMIT 2 HEX)
    if(NOT magic STREQUAL "1f8b")
        fail("share/man/${page}.gz is not compressed with gzip")
    endif()
endforeach()
set(completion ${PREFIX}/share/bash-completion/completions/lumavox-cli)
if(NOT EXISTS ${completion})
    fail("share/bash-completion/completions/lumavox-cli missing")
endif()
file(READ ${completion} script)
if(NOT script MATCHES "complete -F _lumavox_cli lumavox-cli")
    fail("the completion does not register itself for lumavox-cli")
endif()
# man finds the installed page where the manual path leads it.
find_program(MAN man)
if(MAN)
    execute_process(COMMAND ${MAN} -M ${PREFIX}/share/man -w lumavox-cli
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0 OR NOT out MATCHES "man1/lumavox-cli.1.gz")
        fail("man -w lumavox-cli: ${out}")
    endif()
endif()

file(STRINGS ${PREFIX}/share/applications/lumavox.desktop desktop)
foreach(line "[Desktop Entry]" "Type=Application" "Exec=lumavox %f" "Icon=lumavox"
             "MimeType=application/x-lumavox-document;")
    list(FIND desktop "${line}" found)
    if(found EQUAL -1)
        fail("the desktop entry lacks \"${line}\"")
    endif()
endforeach()

file(READ ${PREFIX}/share/mime/packages/lumavox.xml mime)
foreach(part [[type="application/x-lumavox-document"]]
             [[<match type="string" offset="0" value="KORVANTE VOXLINE"/>]]
             [[<glob pattern="*.glm"/>]])
    string(FIND "${mime}" "${part}" at)
    if(at EQUAL -1)
        fail("the document type lacks ${part}")
    endif()
endforeach()

# Where the desktop's own tool is at hand, it must accept the type and map
# *.glm files to it.
find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME)
    execute_process(COMMAND ${UPDATE_MIME} ${PREFIX}/share/mime RESULT_VARIABLE rc
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0 OR out MATCHES "[Ee]rror|[Ww]arning")
        fail("update-mime-database: ${out}")
    endif()
    file(READ ${PREFIX}/share/mime/globs2 globs)
    if(NOT globs MATCHES "application/x-lumavox-document:\\*\\.glm")
        fail("*.glm is not mapped to the document type")
    endif()
endif()

# The installed program finds its font files in share/lumavox.
set(ENV{LUMAVOX_HOME} "")
set(ENV{LUMAVOX_CONFIG_DIR} ${PREFIX}/config)
execute_process(COMMAND ${PREFIX}/bin/lumavox-cli demo ${PREFIX}/demo.glm
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    fail("lumavox-cli demo: ${out}")
endif()
execute_process(COMMAND ${PREFIX}/bin/lumavox-cli body ${PREFIX}/demo.glm
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    fail("lumavox-cli body: ${out}")
endif()
file(REMOVE_RECURSE ${PREFIX})
