# Help: the pages in help/ compiled into marrowlight.qch beside the program,
# the viewer program marrowlight-help, and the launcher HelpLauncher that starts
# it. Included at the end of the top-level CMakeLists.txt, once the program,
# the libraries and the tests exist.

find_package(Qt6 6.4 REQUIRED COMPONENTS Core Widgets Help)
find_package(Qt6 6.4 QUIET COMPONENTS ToolsTools)
if(TARGET Qt6::qhelpgenerator)
  set(MARROWLIGHT_QHELPGENERATOR Qt6::qhelpgenerator)
else()
  find_program(MARROWLIGHT_QHELPGENERATOR qhelpgenerator REQUIRED
               HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}" /usr/lib/qt6/libexec)
endif()

# The help file and the viewer go where the program is built, so HelpLauncher
# finds both beside it in the build folder as in an installed copy.
get_target_property(MARROWLIGHT_PROGRAM_DIR marrowlight RUNTIME_OUTPUT_DIRECTORY)
if(NOT MARROWLIGHT_PROGRAM_DIR)
  get_target_property(MARROWLIGHT_PROGRAM_DIR marrowlight BINARY_DIR)
endif()
set(MARROWLIGHT_HELP_FILE "${MARROWLIGHT_PROGRAM_DIR}/marrowlight.qch")

# -c refuses a page that links to a file the help does not hold.
file(GLOB MARROWLIGHT_HELP_PAGES CONFIGURE_DEPENDS
     "${PROJECT_SOURCE_DIR}/help/*.htm" "${PROJECT_SOURCE_DIR}/help/*.css")
add_custom_command(
  OUTPUT "${MARROWLIGHT_HELP_FILE}"
  COMMAND ${MARROWLIGHT_QHELPGENERATOR} -c -s "${PROJECT_SOURCE_DIR}/help/marrowlight.qhp"
          -o "${MARROWLIGHT_HELP_FILE}"
  DEPENDS "${PROJECT_SOURCE_DIR}/help/marrowlight.qhp" ${MARROWLIGHT_HELP_PAGES}
  COMMENT "Compiling the help into marrowlight.qch"
  VERBATIM)
add_custom_target(marrowlight_help_qch ALL DEPENDS "${MARROWLIGHT_HELP_FILE}")

# The launcher HelpLauncher is part of the support library (src/support).

# The viewer: a window class in a library (the tests drive it offscreen) and
# a small program around it.
add_library(marrowlight_help_viewer STATIC
            "${PROJECT_SOURCE_DIR}/src/app/helpviewer/HelpCollection.cpp"
            "${PROJECT_SOURCE_DIR}/src/app/helpviewer/HelpCollection.h"
            "${PROJECT_SOURCE_DIR}/src/app/helpviewer/HelpViewerWindow.cpp"
            "${PROJECT_SOURCE_DIR}/src/app/helpviewer/HelpViewerWindow.h")
set_target_properties(marrowlight_help_viewer PROPERTIES AUTOMOC ON)
marrowlight_use_layer_view(marrowlight_help_viewer app)
target_link_libraries(marrowlight_help_viewer PUBLIC Qt6::Help Qt6::Widgets
                      PRIVATE marrowlight_warnings)

add_executable(marrowlight-help "${PROJECT_SOURCE_DIR}/src/app/helpviewer/main.cpp")
marrowlight_use_layer_view(marrowlight-help app)
target_link_libraries(marrowlight-help PRIVATE marrowlight_help_viewer marrowlight_support
                      marrowlight_warnings)
set_target_properties(marrowlight-help PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${MARROWLIGHT_PROGRAM_DIR}")

# Whoever builds the program gets its help with it.
add_dependencies(marrowlight marrowlight-help marrowlight_help_qch)

if(TARGET marrowlight_widget_tests)
  target_link_libraries(marrowlight_widget_tests PRIVATE marrowlight_help_viewer)
  target_compile_definitions(marrowlight_widget_tests PRIVATE
                             MARROWLIGHT_HELP_FILE="${MARROWLIGHT_HELP_FILE}"
                             MARROWLIGHT_HELP_VIEWER="$<TARGET_FILE:marrowlight-help>")
  add_dependencies(marrowlight_widget_tests marrowlight-help marrowlight_help_qch)
endif()

# cmake/Install.cmake installs the viewer and this help file, where an
# installed program looks for it: <prefix>/share/marrowlight.
set(MARROWLIGHT_QCH "${MARROWLIGHT_HELP_FILE}")
