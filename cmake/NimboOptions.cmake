# Compiler settings shared by every target of the project.
option(NIMBO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(NIMBO_TSAN "Build with ThreadSanitizer" OFF)
option(NIMBO_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
# The Debian package's build (scripts/package): the program carries no adb and
# runs the system's (src/adbtool/adb_program.h).
option(NIMBO_SYSTEM_ADB "Carry no adb payload: run the system's adb" OFF)

add_compile_options(-Wall -Wextra -Werror)
# Qt's headers trip this one under GCC 12 without any fault on our side.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wno-error=maybe-uninitialized)
endif()

if(NIMBO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
if(NIMBO_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
if(NIMBO_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
