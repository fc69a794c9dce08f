# Warnings for our own code only: Qt's and GoogleTest's headers come in as
# system headers and stay quiet. CI turns them into errors.
option(MARROWLIGHT_WERROR "Treat warnings in Marrowlight's own code as errors" OFF)

add_library(marrowlight_warnings INTERFACE)
target_compile_options(marrowlight_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
  $<$<BOOL:${MARROWLIGHT_WERROR}>:-Werror>)
