# couchframe_add_plugin(<name> SOURCES ... [LIBRARIES ...] [OUTPUT_DIR dir] [NO_INSTALL])
# Builds a picture plug-in as <name>.spi: a shared object with the plug-in functions exported with C linkage.
function(couchframe_add_plugin name)
  cmake_parse_arguments(ARG "NO_INSTALL" "OUTPUT_DIR" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT ARG_OUTPUT_DIR)
    set(ARG_OUTPUT_DIR ${COUCHFRAME_PLUGIN_OUTPUT_DIR})
  endif()
  add_library(${name} MODULE ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src/spi/sdk)
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX ".spi" OUTPUT_NAME ${name}
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIR})
  if(NOT ARG_NO_INSTALL)
    install(TARGETS ${name} LIBRARY DESTINATION ${COUCHFRAME_PLUGIN_INSTALL_DIR})
  endif()
endfunction()
