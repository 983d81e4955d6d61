# couchframe_layer(<folder> [<folder it builds on>...])
# Builds src/<folder> as the static library couchframe_<folder>, linked with the libraries of the
# folders it builds on. The folder sees only its own headers and those its foundations see: its
# include path is build/layers/<folder>, holding one link per visible src/ folder, so including a
# header of any other folder fails to compile. Declare the foundations before the folder.
function(couchframe_layer folder)
  set(visible ${folder})
  set(libraries couchframe_base)
  foreach(base IN LISTS ARGN)
    if(NOT TARGET couchframe_${base})
      message(FATAL_ERROR "couchframe_layer(${folder}): declare ${base} before it")
    endif()
    get_property(base_visible GLOBAL PROPERTY COUCHFRAME_VISIBLE_${base})
    list(APPEND visible ${base_visible})
    list(APPEND libraries couchframe_${base})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(GLOBAL PROPERTY COUCHFRAME_VISIBLE_${folder} ${visible})

  set(links ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${links})
  # A folder dropped from the table loses its link too.
  file(GLOB present LIST_DIRECTORIES true RELATIVE ${links} ${links}/*)
  foreach(name IN LISTS present)
    if(NOT name IN_LIST visible)
      file(REMOVE ${links}/${name})
    endif()
  endforeach()
  foreach(name IN LISTS visible)
    if(NOT IS_SYMLINK ${links}/${name})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${name} ${links}/${name} SYMBOLIC)
    endif()
  endforeach()

  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
  list(FILTER sources EXCLUDE REGEX "/src/app/main\\.cpp$")
  add_library(couchframe_${folder} STATIC ${sources})
  target_include_directories(couchframe_${folder} PUBLIC ${links})
  target_link_libraries(couchframe_${folder} PUBLIC ${libraries})
  set_property(GLOBAL APPEND PROPERTY COUCHFRAME_LAYERS couchframe_${folder})
endfunction()
