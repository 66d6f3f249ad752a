# The release layout that `make dist` (cmake --install <build> --prefix dist) writes:
#
#   PictavoSetup, install.ini, libDuiLib.so       the setup program and what it runs on
#   PictavoInstaller/                              the payload the setup copies:
#       Pictavo, Update, Uninst, libDuiLib.so, libwke.so, config.ini, icon.png, magick/policy.xml
#
# Programs that are not built yet are left out until their target exists.

set(payload PictavoInstaller)

install(TARGETS PictavoSetup RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/setup/dist/install.ini DESTINATION .)
install(TARGETS DuiLib LIBRARY DESTINATION .)

install(TARGETS Pictavo RUNTIME DESTINATION ${payload})
foreach(program Update Uninst)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${payload})
    endif()
endforeach()
install(TARGETS DuiLib LIBRARY DESTINATION ${payload})
if(TARGET wke)
    install(TARGETS wke LIBRARY DESTINATION ${payload})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/setup/dist/config.ini DESTINATION ${payload})
install(FILES ${PICTAVO_SKINS_DIR}/Pictavo/icon.png DESTINATION ${payload})
install(FILES ${PROJECT_SOURCE_DIR}/main/magick/policy.xml DESTINATION ${payload}/magick)
