# Each folder of src/ is one library target, a layer. A layer sees its own
# headers and those of the layers it is linked to, nothing else: its include
# folder in the build tree holds links to its own headers only (under the
# folder's path, so "app/session.h" reads the same everywhere), and linking
# passes the lower layers' folders on. An include of a higher layer's header
# finds no file, so an arrow that runs back up fails to build.
#
#   tapix_layer(TARGET FOLDER [DEPENDS lower targets...])
#
# FOLDER is the path below src/ ("protocol", "ui/qt"). Headers added later
# are linked when CMake next configures (the glob is checked at every build).
function(tapix_layer target folder)
  cmake_parse_arguments(LAYER "" "" "DEPENDS" ${ARGN})
  add_library(${target} STATIC)
  set(mirror ${CMAKE_BINARY_DIR}/layers/${target})
  file(REMOVE_RECURSE ${mirror})
  file(MAKE_DIRECTORY ${mirror}/${folder})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${mirror}/${folder}/${name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${mirror})
  # Every folder the layer's code sees, for the layer test (tests/layers).
  set(seen ${mirror})
  foreach(lower IN LISTS LAYER_DEPENDS)
    get_target_property(lower_seen ${lower} TAPIX_LAYER_INCLUDES)
    list(APPEND seen ${lower_seen})
  endforeach()
  list(REMOVE_DUPLICATES seen)
  set_target_properties(${target} PROPERTIES TAPIX_LAYER_INCLUDES "${seen}")
  if(LAYER_DEPENDS)
    target_link_libraries(${target} PUBLIC ${LAYER_DEPENDS})
  endif()
  set_property(GLOBAL APPEND PROPERTY TAPIX_LAYERS ${target})
endfunction()
