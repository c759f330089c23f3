# Desktop integration: the help pages beside the program in the build tree, and what
# `cmake --install` puts where a Linux desktop finds it. The program and framora-cli install
# themselves from their own folders (bin/).
if(FRAMORA_BUILD_GUI)
  include(GNUInstallDirs)
  set(FRAMORA_HELP_PAGES framorae.html framorad.html)  # English, German

  # Help is looked up beside the executable first: copy the pages next to the built program.
  foreach(page IN LISTS FRAMORA_HELP_PAGES)
    configure_file(${CMAKE_SOURCE_DIR}/resources/help/${page} ${CMAKE_BINARY_DIR}/src/app/${page} COPYONLY)
    list(APPEND FRAMORA_HELP_SOURCES ${CMAKE_SOURCE_DIR}/resources/help/${page})
  endforeach()

  # Installed, the program finds its help in ../share/framora/help relative to bin/.
  install(FILES ${FRAMORA_HELP_SOURCES} DESTINATION share/framora/help)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/framora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/framora.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
