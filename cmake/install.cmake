# Installation (`make install`, cmake --install with DESTDIR and a prefix) and the Debian
# package (`make package`, CPack). Installed:
#   bin/quillet                                  the tool
#   libexec/quillet/quillet-engine               the engine it binds, stripped
#   libexec/quillet/.debug/quillet-engine.debug  its debug information (component "debug"),
#                                                found by gdb through the engine's debuglink
#   share/man/man1/quillet.1, share/bash-completion/completions/quillet, share/doc/quillet/
# The tool is stripped the same way. quillet finds the engine at ../libexec/quillet from its own
# directory (tools/CMakeLists.txt), so any prefix works.
include(GNUInstallDirs)

if(NOT TARGET quillet OR NOT TARGET quillet-engine)
    return()
endif()

# The stripped executables and their debug information are made with every build (well under a
# second), so that installing and packaging only copy files.
set(quillet_stage ${CMAKE_BINARY_DIR}/install-stage)
set(quillet_staged)
foreach(program quillet quillet-engine)
    set(stripped ${quillet_stage}/${program})
    set(debug ${quillet_stage}/.debug/${program}.debug)
    add_custom_command(
        OUTPUT ${stripped} ${debug}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${quillet_stage}/.debug
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${program}> ${debug}
        COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${debug}
                $<TARGET_FILE:${program}> ${stripped}
        DEPENDS ${program}
        COMMENT "Stripping ${program} for installation, its debug information kept apart"
        VERBATIM)
    list(APPEND quillet_staged ${stripped} ${debug})
endforeach()
add_custom_target(quillet_install_stage ALL DEPENDS ${quillet_staged})

install(PROGRAMS ${quillet_stage}/quillet
        DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES ${quillet_stage}/.debug/quillet.debug
        DESTINATION ${CMAKE_INSTALL_BINDIR}/.debug COMPONENT debug)
install(PROGRAMS ${quillet_stage}/quillet-engine
        DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillet COMPONENT runtime)
install(FILES ${quillet_stage}/.debug/quillet-engine.debug
        DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillet/.debug COMPONENT debug)
install(FILES ${CMAKE_SOURCE_DIR}/docs/quillet.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
install(FILES ${CMAKE_SOURCE_DIR}/tools/quillet.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quillet
        COMPONENT runtime)
# The README's links lead to docs/ beside it.
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs
        COMPONENT runtime FILES_MATCHING PATTERN "*.md")

# Two packages: quillet, whose dependencies dpkg-shlibdeps takes from the binaries (with the
# libraries the engine loads itself: SDL2 for windows, libpng, libjpeg, FreeType and fontconfig at
# their first use; and the fonts its font names map to), and quillet-dbg with the debug
# information.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillet maintainers <quillet@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Quillet BASIC run-time engine: runs and ports bound applications as Linux programs")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime debug)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME quillet)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION interpreters)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS
    "libsdl2-2.0-0, libpng16-16, libjpeg62-turbo, libfreetype6, libfontconfig1, fonts-liberation2")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "libx11-6, libcairo2, libodbc2, cups-client")
set(CPACK_DEBIAN_DEBUG_PACKAGE_NAME quillet-dbg)
set(CPACK_DEBIAN_DEBUG_PACKAGE_SECTION debug)
set(CPACK_DEBIAN_DEBUG_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DEBUG_PACKAGE_DEPENDS "quillet (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "The quillet command takes the B-code image out of a Quillet BASIC application made for Windows
and binds it to the engine, so that it runs as a native Linux program, in windows on the desktop
or headless; it also assembles, disassembles and runs B-code.")
set(CPACK_COMPONENT_DEBUG_DESCRIPTION "The debug information of quillet and quillet-engine, which gdb finds through their debuglinks.")
include(CPack)
