# What `cmake --install BUILD --prefix PREFIX` puts where: PREFIX/bin/tarnhost, the module in
# PREFIX/lib/tarnwick/, the manual page tarnhost(1), and README, changelog and scenarios in
# PREFIX/share/doc/tarnwick/. tarnhost finds the module from its own folder through
# TARNWICK_MODULE_FROM_PROGRAM, a relative path, so an installed tree works wherever it is moved.
include(GNUInstallDirs)
set(TARNWICK_MODULE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/tarnwick)
set(TARNWICK_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tarnwick)
file(RELATIVE_PATH TARNWICK_MODULE_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBDIR}/tarnwick)

# Installs what the build made; called once every target exists. The manual page is the one
# source in docs/, its version filled in.
function(tarnwick_install)
    install(TARGETS tarnhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(TARGETS tarnwick LIBRARY DESTINATION ${TARNWICK_MODULE_INSTALL_DIR})
    configure_file(${PROJECT_SOURCE_DIR}/docs/tarnhost.1 ${PROJECT_BINARY_DIR}/tarnhost.1 @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/tarnhost.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
            DESTINATION ${TARNWICK_DOC_INSTALL_DIR})
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/scenarios/ DESTINATION ${TARNWICK_DOC_INSTALL_DIR}/scenarios
            FILES_MATCHING PATTERN "*.scn")
endfunction()
