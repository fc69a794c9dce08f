# One static library per subsystem and layer. A library sees only the source
# folders of its own subsystem and those below it, through a folder of links
# made for it (build/layers/<library>): a backward include finds no header and
# fails to compile. Core libraries see only core folders and get no Qt.

set_property(GLOBAL PROPERTY MARROWLIGHT_SUBSYSTEMS "")

# Links build/layers/<view>/<rel> to src/<rel> for each rel given.
function(_marrowlight_view view)
  set(root ${CMAKE_BINARY_DIR}/layers/${view})
  foreach(rel ${ARGN})
    set(link ${root}/${rel})
    if(NOT IS_SYMLINK ${link})
      get_filename_component(parent ${link} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${rel} ${link} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# Gives target the include view of a layer ("monitor", "monitor_core", ...).
function(marrowlight_use_layer_view target view)
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/layers/${view})
endfunction()

function(_marrowlight_library target kind view sources)
  if(sources)
    add_library(${target} STATIC ${sources})
    marrowlight_use_layer_view(${target} ${view})
    target_link_libraries(${target} PRIVATE marrowlight_warnings)
  else()
    add_library(${target} INTERFACE)
  endif()
endfunction()

# Adds marrowlight_<name>_core (src/<name>/core) and marrowlight_<name>
# (src/<name>, Qt), each linking the library of the same layer below it.
function(marrowlight_subsystem name)
  get_property(lower GLOBAL PROPERTY MARROWLIGHT_SUBSYSTEMS)
  set(core_view)
  set(qt_view)
  foreach(each ${lower} ${name})
    list(APPEND core_view ${each}/core)
    list(APPEND qt_view ${each})
  endforeach()
  _marrowlight_view(${name}_core ${core_view})
  _marrowlight_view(${name} ${qt_view})

  file(GLOB core_sources CONFIGURE_DEPENDS src/${name}/core/*.cpp src/${name}/core/*.h)
  file(GLOB qt_sources CONFIGURE_DEPENDS src/${name}/*.cpp src/${name}/*.h)
  list(FILTER qt_sources EXCLUDE REGEX "/main\\.cpp$")
  _marrowlight_library(marrowlight_${name}_core core ${name}_core "${core_sources}")
  _marrowlight_library(marrowlight_${name} qt ${name} "${qt_sources}")
  if(qt_sources)
    set_target_properties(marrowlight_${name} PROPERTIES AUTOMOC ON)
  endif()

  set(link PUBLIC)
  get_target_property(type marrowlight_${name} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(link INTERFACE)
  endif()
  get_target_property(core_type marrowlight_${name}_core TYPE)
  set(core_link PUBLIC)
  if(core_type STREQUAL "INTERFACE_LIBRARY")
    set(core_link INTERFACE)
  endif()

  target_link_libraries(marrowlight_${name} ${link} marrowlight_${name}_core)
  if(lower)
    list(GET lower -1 below)
    target_link_libraries(marrowlight_${name}_core ${core_link} marrowlight_${below}_core)
    target_link_libraries(marrowlight_${name} ${link} marrowlight_${below})
  endif()
  set_property(GLOBAL APPEND PROPERTY MARROWLIGHT_SUBSYSTEMS ${name})
endfunction()

# Each probe in tests/layering/ includes one header that its view must not
# see: its test passes only when the compiler says it found no such header, so
# a probe that fails for another reason fails. Each probe is built again with a
# view that may see the header (Layering.<probe>.Control), which must succeed:
# the header itself compiles, and only the view keeps it out.
function(_marrowlight_probe_target target probe view)
  add_library(${target} OBJECT EXCLUDE_FROM_ALL ${probe})
  marrowlight_use_layer_view(${target} ${view})
  if(NOT view MATCHES "_core$")
    target_link_libraries(${target} PRIVATE Qt6::Widgets)
  endif()
endfunction()

function(marrowlight_layering_tests)
  file(GLOB probes CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/layering/*.cpp)
  foreach(probe ${probes})
    get_filename_component(name ${probe} NAME_WE)
    # "// view: <view>" and "// allowed: <view>" head a probe.
    file(STRINGS ${probe} heading LIMIT_COUNT 2)
    list(GET heading 0 first)
    list(GET heading 1 second)
    string(REGEX REPLACE "^// view: *([a-z_]+).*$" "\\1" view "${first}")
    string(REGEX REPLACE "^// allowed: *([a-z_]+).*$" "\\1" allowed "${second}")
    file(STRINGS ${probe} include REGEX "^#include [<\"]")
    string(REGEX REPLACE "^#include [<\"]([^>\"]+)[>\"].*$" "\\1" header "${include}")
    if(NOT view OR NOT allowed OR NOT header OR view STREQUAL first OR allowed STREQUAL second)
      message(FATAL_ERROR "${probe}: needs a view, an allowed view and one #include")
    endif()
    string(REPLACE "." "\\." pattern "${header}")

    _marrowlight_probe_target(layering_${name} ${probe} ${view})
    add_test(NAME Layering.${name}
             COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target layering_${name})
    set_tests_properties(Layering.${name} PROPERTIES RESOURCE_LOCK build_folder
                         PASS_REGULAR_EXPRESSION "${pattern}: No such file or directory")

    _marrowlight_probe_target(layering_${name}_control ${probe} ${allowed})
    add_test(NAME Layering.${name}.Control
             COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target layering_${name}_control)
    set_tests_properties(Layering.${name}.Control PROPERTIES RESOURCE_LOCK build_folder)
  endforeach()
endfunction()
