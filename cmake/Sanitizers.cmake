# AddressSanitizer and UndefinedBehaviorSanitizer for every target, the
# prebuilt GoogleTest included through the link. Undefined behaviour stops the
# test that meets it instead of printing a line that scrolls past.
option(MARROWLIGHT_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(MARROWLIGHT_SANITIZE)
  set(_marrowlight_sanitize
      -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_compile_options(${_marrowlight_sanitize})
  add_link_options(${_marrowlight_sanitize})
endif()
